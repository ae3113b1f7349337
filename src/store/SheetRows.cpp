#include "SheetRows.h"

#include "StoreError.h"
#include "Worksheet.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

// pugixml frees a document's pages when the next run replaces it; kept here instead, the next
// run reuses them. Given back to the system each time, they came back as fresh pages whose
// first touch costs more than the parse itself.
namespace PagePool {

constexpr size_t Header = 16;    // the block's size, keeping the alignment malloc gives
constexpr size_t MaxSpare = 128; // some 4 MB: more than a run of rows needs

// The blocks kept, freed when the program ends.
struct Spare : std::vector<void *> {
    ~Spare()
    {
        for (void *block : *this)
            std::free(block);
    }
};

std::mutex lock;
Spare spare;
size_t spareSize = 0; // the size of the spare blocks: pugixml's page

void *allocate(size_t size)
{
    {
        const std::lock_guard guard(lock);
        if (size == spareSize && !spare.empty()) {
            void *block = spare.back();
            spare.pop_back();
            return static_cast<char *>(block) + Header;
        }
    }
    void *block = std::malloc(size + Header);
    if (!block)
        return nullptr;
    *static_cast<size_t *>(block) = size;
    return static_cast<char *>(block) + Header;
}

void deallocate(void *pointer)
{
    void *block = static_cast<char *>(pointer) - Header;
    const size_t size = *static_cast<size_t *>(block);
    {
        const std::lock_guard guard(lock);
        if (spare.empty())
            spareSize = size;
        if (size == spareSize && spare.size() < MaxSpare) {
            spare.push_back(block);
            return;
        }
    }
    std::free(block);
}

} // namespace PagePool

// A run is parsed once it holds this much; a row longer than that makes its run longer.
constexpr size_t RunBytes = 256 << 10;

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

// Whether the name found at `at` is a tag's: right after "<" ("</" for an end tag), or after
// a prefix there ("<x:").
bool isTagName(std::string_view text, size_t at, bool endTag)
{
    size_t i = at;
    if (i > 0 && text[i - 1] == ':') {
        --i;
        while (i > 0 && isNameCharacter(text[i - 1]))
            --i;
    }
    if (endTag)
        return i >= 2 && text[i - 1] == '/' && text[i - 2] == '<';
    return i >= 1 && text[i - 1] == '<';
}

// Where the first tag of this name begins its name, from `from` on; npos when none does.
// The search skips ahead by the name's length: a search letter by letter would stop at every
// "s" of every cell's style attribute.
size_t findTag(std::string_view text, std::string_view name, bool endTag, size_t from = 0)
{
    const std::boyer_moore_horspool_searcher searcher(name.begin(), name.end());
    const auto next = [&](size_t start) {
        const auto found = std::search(text.begin() + qsizetype(start), text.end(), searcher);
        return found == text.end() ? text.npos : size_t(found - text.begin());
    };
    for (size_t at = next(from); at != text.npos; at = next(at + 1)) {
        const size_t after = at + name.size();
        if (after < text.size() && text[after] != '>' && text[after] != '/' && text[after] != ' ' &&
            text[after] != '\t' && text[after] != '\r' && text[after] != '\n')
            continue;
        if (isTagName(text, at, endTag))
            return at;
    }
    return text.npos;
}

// The end of the last whole row: just past its "</row>"; 0 when no row has ended.
size_t lastRowEnd(std::string_view text)
{
    for (size_t at = text.rfind("row>"); at != text.npos && at > 0; at = text.rfind("row>", at - 1))
        if (isTagName(text, at, true))
            return at + 4;
    return 0;
}

[[noreturn]] void notAWorkbook()
{
    throw StoreError(Worksheet::NotAWorkbook);
}

} // namespace

SheetRows::SheetRows(Take take) : m_take(std::move(take))
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        pugi::set_memory_management_functions(PagePool::allocate, PagePool::deallocate);
    });
}

char *SheetRows::bufferFor(int size)
{
    m_used = m_pending.size();
    m_pending.resize(m_used + size_t(size));
    return m_pending.data() + m_used;
}

void SheetRows::take(int size, bool last)
{
    m_used += size_t(size);
    m_pending.resize(m_used);
    if (m_part == Part::Head)
        findRows(last);
    if (m_part == Part::Rows)
        readRows(last);
    if (m_part == Part::Tail)
        m_pending.clear(); // what follows the rows is not read, though the checksum covers it
}

// Skips what comes before the rows: up to the end of the <sheetData> start tag.
void SheetRows::findRows(bool last)
{
    const std::string_view head = m_pending;
    const size_t name = findTag(head, "sheetData", false);
    const size_t end = name == head.npos ? head.npos : head.find('>', name);
    if (end == head.npos) {
        if (last)
            notAWorkbook();
        if (m_pending.size() > MaxRowBytes)
            throw StoreError(Worksheet::TooLarge);
        return;
    }
    if (head.substr(0, name).find("<!DOCTYPE") != head.npos)
        notAWorkbook();
    // <sheetData/> holds no rows.
    m_part = head[end - 1] == '/' ? Part::Tail : Part::Rows;
    m_pending.erase(0, end + 1);
    m_checked = 0;
}

void SheetRows::readRows(bool last)
{
    const std::string_view rows = m_pending;
    // The search goes back a little, for an end tag split between two pieces.
    const size_t from = m_checked > 16 ? m_checked - 16 : 0;
    const size_t end = findTag(rows, "sheetData", true, from);
    if (end != rows.npos) {
        parse(rows.rfind('<', end));
        m_part = Part::Tail;
        return;
    }
    if (last)
        notAWorkbook();
    m_checked = m_pending.size();
    if (m_pending.size() < RunBytes)
        return;
    const size_t whole = lastRowEnd(rows);
    if (whole == 0) {
        if (m_pending.size() > MaxRowBytes)
            throw StoreError(Worksheet::TooLarge);
        return;
    }
    parse(whole);
    m_pending.erase(0, whole);
    m_checked = m_pending.size();
}

void SheetRows::parse(size_t bytes)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        m_pending.data(), bytes,
        pugi::parse_default | pugi::parse_fragment | pugi::parse_ws_pcdata_single,
        pugi::encoding_utf8);
    if (!result)
        notAWorkbook();
    m_take(document);
}
