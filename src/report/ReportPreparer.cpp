#include "ReportPreparer.h"

#include "Barcode.h"
#include "EngineValues.h"
#include "Expression.h"
#include "ExpressionContext.h"
#include "ReportDataset.h"
#include "ReportError.h"
#include "TextExpression.h"
#include "UserFunctions.h"

#include <optional>
#include <vector>

namespace {

struct CompiledObject {
    const ReportObject *object;
    std::optional<TextExpression> text;
    std::optional<Expression> picture; // a picture's field, or a check mark's condition
    std::optional<Expression> visible;
};

struct CompiledBand {
    const ReportBand *band = nullptr;
    ReportDataset *dataset = nullptr;
    std::vector<CompiledObject> objects;
};

struct CompiledPage {
    ReportPage setup; // the page's settings without its bands, shared by its prepared pages
    CompiledBand title, header, master, detail, footer;
};

} // namespace

// One preparation: compiles the template, then lays it out, once or, when a text shows
// TotalPages#, twice (first only counting pages: without stretching bands, values never
// change the layout).
class ReportPreparer::Run : public ExpressionContext {
public:
    Run(const ReportPreparer &owner) : m_owner(owner) {}

    QList<PreparedPage> prepare()
    {
        bool needsTotal = false;
        for (const ReportPage &page : m_owner.m_definition.pages)
            needsTotal |= compilePage(page);
        if (needsTotal) {
            m_evaluate = false;
            layOut();
            m_totalPages = m_pageNumber;
            m_evaluate = true;
        }
        layOut();
        return m_pages;
    }

    QVariant field(const QString &dataset, const QString &field) const override
    {
        const ReportDataset *source = m_owner.m_datasets.value(dataset.toLower());
        if (!source)
            throw ReportError(QStringLiteral("没有名为 %1 的数据集").arg(dataset));
        if (!source->hasField(field))
            throw ReportError(QStringLiteral("数据集 %1 没有字段 %2").arg(dataset, field));
        return source->value(field);
    }

    QVariant variable(const QString &name) const override
    {
        if (name == u"Page#")
            return qint64(m_pageNumber);
        if (name == u"TotalPages#")
            return qint64(m_totalPages);
        return qint64(m_line);
    }

    QVariant callUserFunction(const QString &name, const QVariantList &args) const override
    {
        return m_owner.m_functions.call(name, args);
    }

private:
    // Returns whether any text of the page shows the total page count.
    bool compilePage(const ReportPage &page)
    {
        if (const ReportBand *repeated = page.repeatedBand())
            throw ReportError(page.repeatedBandMessage(*repeated));
        CompiledPage compiled{page, {}, {}, {}, {}, {}};
        compiled.setup.bands.clear();
        bool needsTotal = false;
        for (const ReportBand &band : page.bands) {
            CompiledBand *slot = slotFor(compiled, band.type);
            slot->band = &band;
            if (band.type == ReportBand::Type::MasterData ||
                band.type == ReportBand::Type::DetailData)
                slot->dataset = datasetOf(band);
            for (const ReportObject &object : band.objects)
                slot->objects.push_back(compileObject(object, needsTotal));
        }
        m_compiled.push_back(std::move(compiled));
        return needsTotal;
    }

    static CompiledBand *slotFor(CompiledPage &page, ReportBand::Type type)
    {
        switch (type) {
        case ReportBand::Type::ReportTitle:
            return &page.title;
        case ReportBand::Type::PageHeader:
            return &page.header;
        case ReportBand::Type::MasterData:
            return &page.master;
        case ReportBand::Type::DetailData:
            return &page.detail;
        case ReportBand::Type::PageFooter:
            break;
        }
        return &page.footer;
    }

    ReportDataset *datasetOf(const ReportBand &band) const
    {
        ReportDataset *dataset = m_owner.m_datasets.value(band.dataset.toLower());
        if (!dataset)
            throw ReportError(
                QStringLiteral("数据带 %1 的数据集 %2 不存在").arg(band.name, band.dataset));
        return dataset;
    }

    CompiledObject compileObject(const ReportObject &object, bool &needsTotal) const
    {
        CompiledObject compiled{&object, std::nullopt, std::nullopt, std::nullopt};
        if (object.kind == ReportObject::Kind::Text || object.kind == ReportObject::Kind::Barcode) {
            compiled.text = TextExpression::compile(object.name, object.text, m_owner.m_functions);
            needsTotal |= compiled.text->uses(QStringLiteral("TotalPages#"));
        } else if (object.kind == ReportObject::Kind::Picture) {
            compiled.picture = expression(object, object.pictureExpression);
        } else if (object.kind == ReportObject::Kind::CheckMark) {
            compiled.picture = expression(object, object.checkExpression);
        }
        compiled.visible = expression(object, object.visibleExpression);
        return compiled;
    }

    std::optional<Expression> expression(const ReportObject &object, const QString &source) const
    {
        if (source.isEmpty())
            return std::nullopt;
        try {
            return Expression::parse(source, m_owner.m_functions);
        } catch (const ReportError &e) {
            throw expressionError(object, source, e.message());
        }
    }

    static ReportError expressionError(const ReportObject &object, const QString &source,
                                       const QString &why)
    {
        return ReportError(
            QStringLiteral("对象 %1 的表达式 [%2] 出错：%3").arg(object.name, source, why));
    }

    QVariant value(const CompiledObject &compiled, const Expression &expression,
                   const QString &source) const
    {
        try {
            return expression.evaluate(*this);
        } catch (const ReportError &e) {
            throw expressionError(*compiled.object, source, e.message());
        } catch (const std::exception &e) {
            throw expressionError(*compiled.object, source, QString::fromUtf8(e.what()));
        }
    }

    void layOut()
    {
        m_pages.clear();
        m_pageNumber = 0;
        for (const CompiledPage &page : m_compiled)
            layOutPage(page);
    }

    void layOutPage(const CompiledPage &page)
    {
        m_current = &page;
        m_pageOpen = false;
        m_firstOfTemplate = true;
        if (page.master.band) {
            ReportDataset &master = *page.master.dataset;
            int masterLine = 0;
            for (master.first(); !master.eof(); master.next()) {
                if (masterLine > 0 && page.master.band->startNewPage)
                    m_pageOpen = false;
                m_line = ++masterLine;
                place(page.master);
                if (page.detail.band)
                    layOutDetail(page.detail);
            }
        }
        if (!page.master.band)
            openPage();
    }

    void layOutDetail(const CompiledBand &detail)
    {
        int line = 0;
        for (detail.dataset->first(); !detail.dataset->eof(); detail.dataset->next()) {
            m_line = ++line;
            place(detail);
        }
    }

    // Starts a page: report title on the template page's first, then header and footer.
    // They are drawn now, so their fields show the row that opens the page.
    void openPage()
    {
        const ReportPage &setup = m_current->setup;
        ++m_pageNumber;
        m_pages.append(PreparedPage{setup, {}});
        m_pageOpen = true;
        m_fresh = true;
        m_y = setup.margins.top();
        m_bottom = setup.sizeMm().height() - setup.margins.bottom();
        const int line = m_line;
        m_line = 0;
        if (m_firstOfTemplate && m_current->title.band)
            emitBand(m_current->title);
        m_firstOfTemplate = false;
        if (m_current->header.band)
            emitBand(m_current->header);
        if (const ReportBand *footer = m_current->footer.band) {
            const double top = m_y;
            m_y = m_bottom - footer->height;
            emitBand(m_current->footer);
            m_bottom -= footer->height;
            m_y = top;
        }
        m_line = line;
    }

    void place(const CompiledBand &band)
    {
        if (m_pageOpen && !m_fresh && m_y + band.band->height > m_bottom + 1e-9)
            m_pageOpen = false;
        if (!m_pageOpen)
            openPage();
        emitBand(band);
        m_fresh = false;
    }

    void emitBand(const CompiledBand &band)
    {
        const QPointF origin(m_current->setup.margins.left(), m_y);
        m_y += band.band->height;
        if (!m_evaluate)
            return;
        QList<PreparedItem> &items = m_pages.last().items;
        for (const CompiledObject &compiled : band.objects) {
            const ReportObject &object = *compiled.object;
            if (compiled.visible && !truth(compiled, *compiled.visible, object.visibleExpression))
                continue;
            PreparedItem item{object, object.rect.translated(origin), {}, {}};
            if (compiled.text)
                item.text = compiled.text->evaluate(*this, object.displayFormat);
            if (object.kind == ReportObject::Kind::Barcode)
                checkBarcode(object, item.text);
            if (object.kind == ReportObject::Kind::CheckMark)
                item.checked =
                    compiled.picture && truth(compiled, *compiled.picture, object.checkExpression);
            else if (compiled.picture)
                item.picture =
                    value(compiled, *compiled.picture, object.pictureExpression).toByteArray();
            else
                item.picture = object.picture;
            items.append(item);
        }
    }

    bool truth(const CompiledObject &compiled, const Expression &expression,
               const QString &source) const
    {
        const QVariant v = value(compiled, expression, source);
        try {
            return v.isValid() && EngineValues::toBoolean(v);
        } catch (const ReportError &e) {
            throw expressionError(*compiled.object, source, e.message());
        }
    }

    static void checkBarcode(const ReportObject &object, const QString &data)
    {
        try {
            Barcode::encode(object.symbology, data);
        } catch (const ReportError &e) {
            throw ReportError(QStringLiteral("对象 %1：%2").arg(object.name, e.message()));
        }
    }

    const ReportPreparer &m_owner;
    std::vector<CompiledPage> m_compiled;
    QList<PreparedPage> m_pages;
    const CompiledPage *m_current = nullptr;
    bool m_evaluate = true;
    bool m_pageOpen = false;
    bool m_fresh = true;
    bool m_firstOfTemplate = true;
    double m_y = 0;
    double m_bottom = 0;
    int m_pageNumber = 0;
    int m_totalPages = 0;
    int m_line = 0;
};

ReportPreparer::ReportPreparer(const ReportTemplate &definition,
                               const QHash<QString, ReportDataset *> &datasets,
                               const UserFunctions &functions)
    : m_definition(definition), m_datasets(datasets), m_functions(functions)
{
}

QList<PreparedPage> ReportPreparer::prepare()
{
    return Run(*this).prepare();
}
