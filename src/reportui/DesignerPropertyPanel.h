#pragma once

#include "report/TemplateDocument.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class Report;

// The properties of the selected objects, or of the band last picked in the object tree
// when no object is selected. It shows the first object's values; a change applies to
// every selected object as one edit of the document. Lengths are in mm to 0.1.
class DesignerPropertyPanel : public QWidget {
    Q_OBJECT

public:
    DesignerPropertyPanel(TemplateDocument *document, const Report &report,
                          QWidget *parent = nullptr);

    void showBand(int page, int band);

private:
    using Kinds = QList<ReportObject::Kind>;
    using Loader = std::function<void(const ReportObject &)>;

    QGroupBox *group(const char *name, const QString &title, Kinds kinds);
    QDoubleSpinBox *number(const char *name, double minimum, double maximum, int decimals = 1);
    void edit(const QString &text, const TemplateDocument::ObjectEdit &change);
    // Widgets named `name`, loaded from and editing one member; `text` names the edit.
    QCheckBox *check(const char *name, const QString &text, bool ReportObject::*member);
    QLineEdit *line(const char *name, const QString &text, QString ReportObject::*member);
    QHBoxLayout *withEditor(QLineEdit *line, const char *buttonName);
    void bindNumber(QDoubleSpinBox *box, const QString &text, double ReportObject::*member);
    void bindChoice(QComboBox *box, const QString &text,
                    const std::function<int(const ReportObject &)> &get,
                    const std::function<void(ReportObject &, int)> &set);
    void bindGeometry(QDoubleSpinBox *box, int coordinate);

    void buildObjectGroup();
    void buildContentGroup();
    void buildFontGroup();
    void buildLayoutGroup();
    void buildOtherGroups();
    void buildBandGroup();

    void refresh();
    void refreshBand();
    void btnTextColorClick();
    void btnLoadPictureClick();

    TemplateDocument *m_document;
    const Report &m_report;
    QVBoxLayout *m_layout;
    QList<std::pair<QGroupBox *, Kinds>> m_groups;
    QList<Loader> m_loaders;
    bool m_loading = false;
    int m_page = -1, m_band = -1;
    QGroupBox *m_bandGroup;
    QDoubleSpinBox *m_bandHeight;
    QCheckBox *m_startNewPage;
    QPushButton *m_color;
};
