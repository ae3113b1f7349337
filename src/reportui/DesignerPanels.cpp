#include "DesignerPanels.h"

#include "DesignerDataTree.h"
#include "DesignerExpressionEditor.h"
#include "DesignerObjectTree.h"
#include "DesignerPageCommands.h"
#include "DesignerPropertyPanel.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include <QDockWidget>
#include <QFile>
#include <QMainWindow>
#include <QScrollArea>

namespace {

QDockWidget *dock(QMainWindow *window, const char *name, const QString &title, QWidget *content,
                  Qt::DockWidgetArea area)
{
    auto *d = new QDockWidget(title, window);
    d->setObjectName(QLatin1String(name));
    d->setWidget(content);
    window->addDockWidget(area, d);
    return d;
}

} // namespace

void addDesignerPanels(QMainWindow *window, TemplateDocument *document, const Report &report)
{
    auto *data = new DesignerDataTree(report);
    auto *objects = new DesignerObjectTree(document);
    auto *properties = new DesignerPropertyPanel(document, report);
    QObject::connect(objects, &DesignerObjectTree::bandChosen, properties,
                     &DesignerPropertyPanel::showBand);
    auto *scroll = new QScrollArea;
    scroll->setWidget(properties);
    scroll->setWidgetResizable(true);
    QDockWidget *dataDock =
        dock(window, "dockData", QStringLiteral("数据"), data, Qt::LeftDockWidgetArea);
    QDockWidget *objectDock =
        dock(window, "dockObjects", QStringLiteral("对象"), objects, Qt::LeftDockWidgetArea);
    window->tabifyDockWidget(objectDock, dataDock);
    dock(window, "dockProperties", QStringLiteral("属性"), scroll, Qt::RightDockWidgetArea);
    new DesignerPageCommands(window, document);
}

void editObjectText(QWidget *parent, TemplateDocument *document, TemplateDocument::ObjectId id,
                    const Report &report)
{
    if (!document->place(id))
        return;
    const ReportObject object = document->object(id);
    // A check mark and a picture field hold one bare expression; the others text with [...].
    QString ReportObject::*member = &ReportObject::text;
    if (object.kind == ReportObject::Kind::CheckMark)
        member = &ReportObject::checkExpression;
    else if (object.kind == ReportObject::Kind::Picture)
        member = &ReportObject::pictureExpression;
    const auto mode = member == &ReportObject::text
                          ? DesignerExpressionEditor::Mode::TextWithExpressions
                          : DesignerExpressionEditor::Mode::Condition;
    DesignerExpressionEditor editor(object.name, object.*member, mode, report, parent);
    if (editor.exec() != QDialog::Accepted)
        return;
    const QString text = editor.text();
    document->editObjects({id}, QStringLiteral("编辑文本"),
                          [member, text](ReportObject &o) { o.*member = text; });
}

std::optional<PictureFile> openPictureFile(QWidget *parent, const QString &title)
{
    const QString path = FileDialogs::getOpenFileName(
        parent, title,
        QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.tif *.tiff);;所有文件 (*)"));
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    PictureFile picture;
    if (file.open(QIODevice::ReadOnly))
        picture.bytes = file.readAll();
    picture.image = QImage::fromData(picture.bytes);
    if (picture.image.isNull()) {
        Messages::error(parent, QStringLiteral("无法读取图片文件“%1”。").arg(path));
        return std::nullopt;
    }
    return picture;
}
