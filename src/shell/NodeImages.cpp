#include "NodeImages.h"

#include <QApplication>
#include <QStyle>

namespace NodeImages {

QIcon icon(Role role)
{
    QStyle *style = QApplication::style();
    switch (role) {
    case Root:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case Category:
        return style->standardIcon(QStyle::SP_DirIcon);
    case CommonData:
        return style->standardIcon(QStyle::SP_DriveHDIcon);
    case FormKind:
    case FormKindSelected: {
        QIcon form;
        form.addPixmap(style->standardIcon(QStyle::SP_FileIcon).pixmap(16), QIcon::Normal);
        form.addPixmap(style->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(16),
                       QIcon::Selected);
        return form;
    }
    }
    return {};
}

} // namespace NodeImages
