#pragma once

#include <functional>
#include <pugixml.hpp>
#include <string>

// The rows of a worksheet's XML as it inflates. The bytes inside <sheetData> are cut after the
// last whole row and each run of whole rows is parsed by pugixml at once: a tree of ready
// nodes costs a fraction of a parser's call per element, and only one run is held at a time.
// What lies outside <sheetData> is skipped, except that a document type is refused: its
// entities could expand without end. Element names may carry a prefix ("x:row").
class SheetRows {
public:
    // Given the parsed run, whose children are <row> elements, in the sheet's order.
    using Take = std::function<void(const pugi::xml_node &rows)>;
    explicit SheetRows(Take take);

    // Where the next size bytes of the sheet go, and then how many came, as
    // ZipArchive::inflate hands them. Throws StoreError(Worksheet::NotAWorkbook) for rows that
    // are not well formed or a sheet without its <sheetData>, StoreError(Worksheet::TooLarge)
    // for a row (or what comes before the rows) longer than MaxRowBytes.
    char *bufferFor(int size);
    void take(int size, bool last);

    static constexpr size_t MaxRowBytes = size_t(16) << 20;

private:
    void findRows(bool last);
    void readRows(bool last);
    void parse(size_t bytes);

    Take m_take;
    enum class Part { Head, Rows, Tail } m_part = Part::Head;
    std::string m_pending;
    size_t m_used = 0;    // bytes of m_pending that held the sheet before the last piece
    size_t m_checked = 0; // bytes of m_pending already searched for the end of the rows
};
