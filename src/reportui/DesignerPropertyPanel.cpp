#include "DesignerPropertyPanel.h"

#include "DesignerNames.h"
#include "DesignerPanels.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Kind = ReportObject::Kind;

void fillChoices(QComboBox *box, const QList<std::pair<QString, int>> &choices)
{
    for (const auto &[text, value] : choices)
        box->addItem(text, value);
}

} // namespace

DesignerPropertyPanel::DesignerPropertyPanel(TemplateDocument *document, const Report &report,
                                             QWidget *parent)
    : QWidget(parent), m_document(document), m_report(report), m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("propertyPanel"));
    buildObjectGroup();
    buildContentGroup();
    buildFontGroup();
    buildLayoutGroup();
    buildOtherGroups();
    buildBandGroup();
    m_layout->addStretch();
    connect(document, &TemplateDocument::selectionChanged, this, &DesignerPropertyPanel::refresh);
    connect(document, &TemplateDocument::objectsChanged, this, &DesignerPropertyPanel::refresh);
    connect(document, &TemplateDocument::objectsRemoved, this, &DesignerPropertyPanel::refresh);
    connect(document, &TemplateDocument::reset, this, [this] {
        m_page = m_band = -1;
        refresh();
    });
    connect(document, &TemplateDocument::bandsChanged, this, &DesignerPropertyPanel::refresh);
    connect(document, &TemplateDocument::pagesChanged, this, [this] {
        m_page = m_band = -1;
        refresh();
    });
    refresh();
}

void DesignerPropertyPanel::showBand(int page, int band)
{
    m_page = page;
    m_band = band;
    refresh();
}

QGroupBox *DesignerPropertyPanel::group(const char *name, const QString &title, Kinds kinds)
{
    auto *box = new QGroupBox(title, this);
    box->setObjectName(QLatin1String(name));
    new QFormLayout(box);
    m_layout->addWidget(box);
    m_groups.append({box, kinds});
    return box;
}

QDoubleSpinBox *DesignerPropertyPanel::number(const char *name, double minimum, double maximum,
                                              int decimals)
{
    auto *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setDecimals(decimals);
    box->setSingleStep(decimals > 0 ? 0.1 : 1);
    // One edit when the value is settled, not one per key typed.
    box->setKeyboardTracking(false);
    return box;
}

void DesignerPropertyPanel::edit(const QString &text, const TemplateDocument::ObjectEdit &change)
{
    if (!m_loading)
        m_document->editObjects(m_document->selection(), text, change);
}

QCheckBox *DesignerPropertyPanel::check(const char *name, const QString &text,
                                        bool ReportObject::*member)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    m_loaders.append([box, member](const ReportObject &o) { box->setChecked(o.*member); });
    connect(box, &QCheckBox::toggled, this, [this, text, member](bool on) {
        edit(text, [member, on](ReportObject &o) { o.*member = on; });
    });
    return box;
}

void DesignerPropertyPanel::bindNumber(QDoubleSpinBox *box, const QString &text,
                                       double ReportObject::*member)
{
    m_loaders.append([box, member](const ReportObject &o) { box->setValue(o.*member); });
    connect(box, &QDoubleSpinBox::valueChanged, this, [this, text, member](double value) {
        edit(text, [member, value](ReportObject &o) { o.*member = value; });
    });
}

QLineEdit *DesignerPropertyPanel::line(const char *name, const QString &text,
                                       QString ReportObject::*member)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    m_loaders.append([box, member](const ReportObject &o) { box->setText(o.*member); });
    connect(box, &QLineEdit::editingFinished, this, [this, box, text, member] {
        const QString value = box->text();
        edit(text, [member, value](ReportObject &o) { o.*member = value; });
    });
    return box;
}

// The line beside a button that opens the text and expression editor on the first selected
// object.
QHBoxLayout *DesignerPropertyPanel::withEditor(QLineEdit *line, const char *buttonName)
{
    auto *more = new QToolButton(this);
    more->setObjectName(QLatin1String(buttonName));
    more->setText(QStringLiteral("…"));
    more->setToolTip(QStringLiteral("编辑文本和表达式"));
    connect(more, &QToolButton::clicked, this, [this] {
        if (!m_document->selection().isEmpty())
            editObjectText(this, m_document, m_document->selection().first(), m_report);
    });
    auto *row = new QHBoxLayout;
    row->addWidget(line);
    row->addWidget(more);
    return row;
}

void DesignerPropertyPanel::bindChoice(QComboBox *box, const QString &text,
                                       const std::function<int(const ReportObject &)> &get,
                                       const std::function<void(ReportObject &, int)> &set)
{
    m_loaders.append(
        [box, get](const ReportObject &o) { box->setCurrentIndex(box->findData(get(o))); });
    connect(box, &QComboBox::currentIndexChanged, this, [this, box, text, set] {
        const int value = box->currentData().toInt();
        edit(text, [set, value](ReportObject &o) { set(o, value); });
    });
}

// coordinate: 0 x, 1 y, 2 width, 3 height. Every selected object takes the value.
void DesignerPropertyPanel::bindGeometry(QDoubleSpinBox *box, int coordinate)
{
    m_loaders.append([box, coordinate](const ReportObject &o) {
        const double values[] = {o.rect.x(), o.rect.y(), o.rect.width(), o.rect.height()};
        box->setValue(values[coordinate]);
    });
    connect(box, &QDoubleSpinBox::valueChanged, this, [this, coordinate](double value) {
        if (m_loading)
            return;
        const QList<TemplateDocument::ObjectId> ids = m_document->selection();
        QList<QRectF> rects;
        for (TemplateDocument::ObjectId id : ids) {
            QRectF r = m_document->object(id).rect;
            if (coordinate == 0)
                r.moveLeft(value);
            else if (coordinate == 1)
                r.moveTop(value);
            else if (coordinate == 2)
                r.setWidth(value);
            else
                r.setHeight(value);
            rects.append(r);
        }
        m_document->setObjectRects(ids, rects);
    });
}

void DesignerPropertyPanel::buildObjectGroup()
{
    QGroupBox *box = group("grpObject", QStringLiteral("对象"), {});
    auto *form = static_cast<QFormLayout *>(box->layout());
    form->addRow(QStringLiteral("名称："),
                 line("edtName", QStringLiteral("名称"), &ReportObject::name));
    const char *names[] = {"spnLeft", "spnTop", "spnWidth", "spnHeight"};
    const QString labels[] = {QStringLiteral("左 (毫米)："), QStringLiteral("上 (毫米)："),
                              QStringLiteral("宽 (毫米)："), QStringLiteral("高 (毫米)：")};
    for (int i = 0; i < 4; ++i) {
        QDoubleSpinBox *spin = number(names[i], i < 2 ? -2000 : 0, 2000);
        bindGeometry(spin, i);
        form->addRow(labels[i], spin);
    }
    QLineEdit *visible =
        line("edtVisibleExpression", QStringLiteral("显示条件"), &ReportObject::visibleExpression);
    visible->setPlaceholderText(QStringLiteral("空：总是显示"));
    form->addRow(QStringLiteral("显示条件："), visible);
    auto *locked = new QCheckBox(QStringLiteral("锁定位置和大小"), this);
    locked->setObjectName(QStringLiteral("chkLocked"));
    m_loaders.append([locked](const ReportObject &o) { locked->setChecked(o.locked); });
    connect(locked, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_loading)
            m_document->setLocked(m_document->selection(), on);
    });
    form->addRow(locked);
}

void DesignerPropertyPanel::buildContentGroup()
{
    QGroupBox *box = group("grpContent", QStringLiteral("内容"), {Kind::Text, Kind::Barcode});
    auto *form = static_cast<QFormLayout *>(box->layout());
    form->addRow(
        QStringLiteral("文本："),
        withEditor(line("edtText", QStringLiteral("文本"), &ReportObject::text), "btnEditText"));

    auto *format = new QComboBox(this);
    format->setObjectName(QStringLiteral("cboDisplayFormat"));
    format->setEditable(true);
    format->addItems({QString(), QStringLiteral("#,##0.00"), QStringLiteral("0.00"),
                      QStringLiteral("yyyy-mm-dd"), QStringLiteral("yyyy年mm月dd日")});
    m_loaders.append([format](const ReportObject &o) { format->setCurrentText(o.displayFormat); });
    const auto commit = [this, format] {
        const QString value = format->currentText();
        edit(QStringLiteral("显示格式"), [value](ReportObject &o) { o.displayFormat = value; });
    };
    connect(format->lineEdit(), &QLineEdit::editingFinished, this, commit);
    connect(format, &QComboBox::activated, this, commit);
    form->addRow(QStringLiteral("显示格式："), format);
}

void DesignerPropertyPanel::buildFontGroup()
{
    QGroupBox *box = group("grpFont", QStringLiteral("字体"), {Kind::Text});
    auto *form = static_cast<QFormLayout *>(box->layout());
    auto *family = new QFontComboBox(this);
    family->setObjectName(QStringLiteral("cboFontFamily"));
    m_loaders.append([family](const ReportObject &o) {
        family->setCurrentFont(QFont(o.fontFamily));
        family->setEditText(o.fontFamily);
    });
    connect(family, &QFontComboBox::currentFontChanged, this, [this](const QFont &font) {
        const QString value = font.family();
        edit(QStringLiteral("字体"), [value](ReportObject &o) { o.fontFamily = value; });
    });
    form->addRow(QStringLiteral("字体："), family);
    QDoubleSpinBox *size = number("spnFontSize", 1, 500);
    bindNumber(size, QStringLiteral("字号"), &ReportObject::fontSize);
    form->addRow(QStringLiteral("字号 (磅)："), size);
    const std::pair<const char *, bool ReportObject::*> styles[] = {
        {"chkBold", &ReportObject::bold},
        {"chkItalic", &ReportObject::italic},
        {"chkUnderline", &ReportObject::underline}};
    const QString styleTexts[] = {QStringLiteral("粗体"), QStringLiteral("斜体"),
                                  QStringLiteral("下划线")};
    auto *row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i)
        row->addWidget(check(styles[i].first, styleTexts[i], styles[i].second));
    form->addRow(row);
    m_color = new QPushButton(this);
    m_color->setObjectName(QStringLiteral("btnTextColor"));
    m_loaders.append([this](const ReportObject &o) {
        m_color->setText(o.textColor.name());
        m_color->setStyleSheet(QStringLiteral("color: %1").arg(o.textColor.name()));
    });
    connect(m_color, &QPushButton::clicked, this, &DesignerPropertyPanel::btnTextColorClick);
    form->addRow(QStringLiteral("颜色："), m_color);
}

void DesignerPropertyPanel::buildLayoutGroup()
{
    QGroupBox *box = group("grpLayout", QStringLiteral("排列"), {Kind::Text});
    auto *form = static_cast<QFormLayout *>(box->layout());
    auto *horizontal = new QComboBox(this);
    horizontal->setObjectName(QStringLiteral("cboHorizontalAlignment"));
    fillChoices(horizontal, {{QStringLiteral("左对齐"), int(Qt::AlignLeft)},
                             {QStringLiteral("居中"), int(Qt::AlignHCenter)},
                             {QStringLiteral("右对齐"), int(Qt::AlignRight)},
                             {QStringLiteral("两端对齐"), int(Qt::AlignJustify)}});
    bindChoice(
        horizontal, QStringLiteral("水平对齐"),
        [](const ReportObject &o) { return int(o.alignment & Qt::AlignHorizontal_Mask); },
        [](ReportObject &o, int v) {
            o.alignment = (o.alignment & Qt::AlignVertical_Mask) | Qt::Alignment(v);
        });
    form->addRow(QStringLiteral("水平对齐："), horizontal);
    auto *vertical = new QComboBox(this);
    vertical->setObjectName(QStringLiteral("cboVerticalAlignment"));
    fillChoices(vertical, {{QStringLiteral("顶端"), int(Qt::AlignTop)},
                           {QStringLiteral("居中"), int(Qt::AlignVCenter)},
                           {QStringLiteral("底端"), int(Qt::AlignBottom)}});
    bindChoice(
        vertical, QStringLiteral("垂直对齐"),
        [](const ReportObject &o) { return int(o.alignment & Qt::AlignVertical_Mask); },
        [](ReportObject &o, int v) {
            o.alignment = (o.alignment & Qt::AlignHorizontal_Mask) | Qt::Alignment(v);
        });
    form->addRow(QStringLiteral("垂直对齐："), vertical);
    auto *rotation = new QComboBox(this);
    rotation->setObjectName(QStringLiteral("cboRotation"));
    fillChoices(rotation, {{QStringLiteral("0°"), 0},
                           {QStringLiteral("90°"), 90},
                           {QStringLiteral("180°"), 180},
                           {QStringLiteral("270°"), 270}});
    bindChoice(
        rotation, QStringLiteral("旋转"), [](const ReportObject &o) { return o.rotation; },
        [](ReportObject &o, int v) { o.rotation = v; });
    form->addRow(QStringLiteral("旋转："), rotation);
    form->addRow(check("chkWordWrap", QStringLiteral("自动换行"), &ReportObject::wordWrap));
    form->addRow(check("chkClip", QStringLiteral("裁掉超出的文字"), &ReportObject::clip));

    auto *cells = new QSpinBox(this);
    cells->setObjectName(QStringLiteral("spnCellCount"));
    cells->setRange(0, 100);
    cells->setKeyboardTracking(false);
    cells->setSpecialValueText(QStringLiteral("不分格"));
    m_loaders.append([cells](const ReportObject &o) { cells->setValue(o.cellCount); });
    connect(cells, &QSpinBox::valueChanged, this, [this](int value) {
        edit(QStringLiteral("字符格数"), [value](ReportObject &o) { o.cellCount = value; });
    });
    form->addRow(QStringLiteral("字符格数："), cells);
    QDoubleSpinBox *cellWidth = number("spnCellWidth", 0.1, 100);
    bindNumber(cellWidth, QStringLiteral("格宽"), &ReportObject::cellWidth);
    form->addRow(QStringLiteral("格宽 (毫米)："), cellWidth);
    form->addRow(
        check("chkShrinkToFit", QStringLiteral("缩小字体以适应"), &ReportObject::shrinkToFit));
    QDoubleSpinBox *minimum = number("spnMinFontSize", 1, 500);
    bindNumber(minimum, QStringLiteral("最小字号"), &ReportObject::minFontSize);
    form->addRow(QStringLiteral("最小字号 (磅)："), minimum);
}

void DesignerPropertyPanel::buildOtherGroups()
{
    QGroupBox *frame =
        group("grpFrame", QStringLiteral("边框和线条"), {Kind::Text, Kind::Line, Kind::Rectangle});
    auto *frameForm = static_cast<QFormLayout *>(frame->layout());
    frameForm->addRow(check("chkFrame", QStringLiteral("边框"), &ReportObject::frame));
    QDoubleSpinBox *width = number("spnLineWidth", 0.05, 20, 2);
    bindNumber(width, QStringLiteral("线宽"), &ReportObject::lineWidth);
    frameForm->addRow(QStringLiteral("线宽 (毫米)："), width);

    QGroupBox *barcode = group("grpBarcode", QStringLiteral("条码"), {Kind::Barcode});
    auto *symbology = new QComboBox(this);
    symbology->setObjectName(QStringLiteral("cboSymbology"));
    fillChoices(symbology, {{QStringLiteral("Code 128"), int(ReportObject::Symbology::Code128)},
                            {QStringLiteral("EAN-13"), int(ReportObject::Symbology::Ean13)},
                            {QStringLiteral("QR 码"), int(ReportObject::Symbology::QrCode)}});
    bindChoice(
        symbology, QStringLiteral("条码类型"),
        [](const ReportObject &o) { return int(o.symbology); },
        [](ReportObject &o, int v) { o.symbology = ReportObject::Symbology(v); });
    static_cast<QFormLayout *>(barcode->layout())->addRow(QStringLiteral("类型："), symbology);

    QGroupBox *picture = group("grpPicture", QStringLiteral("图片"), {Kind::Picture});
    auto *pictureForm = static_cast<QFormLayout *>(picture->layout());
    auto *load = new QPushButton(QStringLiteral("载入图片…"), this);
    load->setObjectName(QStringLiteral("btnLoadPicture"));
    connect(load, &QPushButton::clicked, this, &DesignerPropertyPanel::btnLoadPictureClick);
    auto *clear = new QPushButton(QStringLiteral("清除图片"), this);
    clear->setObjectName(QStringLiteral("btnClearPicture"));
    connect(clear, &QPushButton::clicked, this, [this] {
        edit(QStringLiteral("清除图片"), [](ReportObject &o) { o.picture.clear(); });
    });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(load);
    buttons->addWidget(clear);
    pictureForm->addRow(buttons);
    QLineEdit *field =
        line("edtPictureExpression", QStringLiteral("图片字段"), &ReportObject::pictureExpression);
    field->setPlaceholderText(QStringLiteral("如 <frxDBDsNote.\"照片\">"));
    pictureForm->addRow(QStringLiteral("图片字段："), field);

    QGroupBox *mark =
        group("grpCheck", DesignerNames::objectKind(Kind::CheckMark), {Kind::CheckMark});
    static_cast<QFormLayout *>(mark->layout())
        ->addRow(QStringLiteral("勾选条件："),
                 withEditor(line("edtCheckExpression", QStringLiteral("勾选条件"),
                                 &ReportObject::checkExpression),
                            "btnEditCheck"));
}

void DesignerPropertyPanel::buildBandGroup()
{
    m_bandGroup = new QGroupBox(QStringLiteral("数据带"), this);
    m_bandGroup->setObjectName(QStringLiteral("grpBand"));
    auto *form = new QFormLayout(m_bandGroup);
    m_bandHeight = number("spnBandHeight", 0, 2000);
    form->addRow(QStringLiteral("高度 (毫米)："), m_bandHeight);
    m_startNewPage = new QCheckBox(QStringLiteral("每条记录另起一页"), this);
    m_startNewPage->setObjectName(QStringLiteral("chkStartNewPage"));
    form->addRow(m_startNewPage);
    m_layout->addWidget(m_bandGroup);
    connect(m_bandHeight, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (!m_loading)
            m_document->editBand(m_page, m_band, QStringLiteral("数据带高度"),
                                 [value](ReportBand &b) { b.height = value; });
    });
    connect(m_startNewPage, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_loading)
            m_document->editBand(m_page, m_band, QStringLiteral("每条记录另起一页"),
                                 [on](ReportBand &b) { b.startNewPage = on; });
    });
}

void DesignerPropertyPanel::refresh()
{
    QList<TemplateDocument::ObjectId> ids;
    for (TemplateDocument::ObjectId id : m_document->selection())
        if (m_document->place(id))
            ids.append(id);
    m_loading = true;
    for (const auto &[box, kinds] : m_groups) {
        bool shown = !ids.isEmpty();
        for (TemplateDocument::ObjectId id : ids)
            shown = shown && (kinds.isEmpty() || kinds.contains(m_document->object(id).kind));
        box->setVisible(shown);
    }
    if (!ids.isEmpty())
        for (const Loader &load : m_loaders)
            load(m_document->object(ids.first()));
    m_loading = false;
    refreshBand();
}

void DesignerPropertyPanel::refreshBand()
{
    const ReportTemplate &definition = m_document->definition();
    const bool known = m_page >= 0 && m_page < definition.pages.size() && m_band >= 0 &&
                       m_band < definition.pages[m_page].bands.size();
    m_bandGroup->setVisible(known && m_document->selection().isEmpty());
    if (!known)
        return;
    const ReportBand &band = definition.pages[m_page].bands[m_band];
    m_loading = true;
    m_bandGroup->setTitle(QStringLiteral("数据带 %1").arg(band.name));
    m_bandHeight->setValue(band.height);
    m_startNewPage->setChecked(band.startNewPage);
    m_startNewPage->setEnabled(band.type == ReportBand::Type::MasterData);
    m_loading = false;
}

void DesignerPropertyPanel::btnTextColorClick()
{
    const QList<TemplateDocument::ObjectId> ids = m_document->selection();
    if (ids.isEmpty())
        return;
    const QColor colour = QColorDialog::getColor(m_document->object(ids.first()).textColor, this,
                                                 QStringLiteral("文字颜色"));
    if (colour.isValid())
        edit(QStringLiteral("文字颜色"), [colour](ReportObject &o) { o.textColor = colour; });
}

void DesignerPropertyPanel::btnLoadPictureClick()
{
    if (const std::optional<PictureFile> picture =
            openPictureFile(this, QStringLiteral("载入图片"))) {
        const QByteArray bytes = picture->bytes;
        edit(QStringLiteral("载入图片"), [bytes](ReportObject &o) { o.picture = bytes; });
    }
}
