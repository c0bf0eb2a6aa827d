#pragma once
// One XML part of a zipped workbook read piece by piece and walked tag by tag, so that no part is
// ever held whole or built into a tree: what a reader keeps is only what it takes from the tags.
// The pieces a reader wants whole (a cell, a string item) it copies out and parses on their own.
#include "app/output/workbook/WorkbookReader.h"

#include <pugixml.hpp>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zem::workbook {

// A workbook the readers refuse; what() says why.
class ReadFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The unpacked bytes of one part, as UTF-8 whatever the part was written in, piece by piece.
class PartReader {
public:
    // Throws when the part is missing (unless optional: then it reads as nothing, as an empty one
    // does), larger than any workbook needs or cannot be unpacked.
    PartReader(zip_t* zip, const std::string& name, bool optional);
    ~PartReader();
    PartReader(const PartReader&) = delete;
    PartReader& operator=(const PartReader&) = delete;

    const std::string& Name() const { return m_name; }
    bool Exists() const { return m_file != nullptr; }
    // Appends the next piece to `out`; false once the part has ended.
    bool ReadMore(std::string& out);

private:
    void Convert(std::string_view bytes, std::string& out, bool last);

    std::string m_name;
    zip_file_t* m_file = nullptr;
    std::uint64_t m_unpacked = 0;
    bool m_started = false;
    bool m_ended = false;
    iconv_t m_converter = reinterpret_cast<iconv_t>(-1);
    std::string m_pending;  // the start of a character the last piece cut
};

// The elements of a part in document order. Throws ReadFailure when the markup is not well formed
// or a tag is larger than any workbook writes.
class XmlScanner {
public:
    explicit XmlScanner(PartReader& part) : m_part(part) {}

    // Moves to the next start or end tag of an element (an empty element "<a/>" gives both); false
    // once the document element has ended.
    bool Next();
    bool IsStart() const { return m_start; }
    // Of the element whose tag this is: 0 for the document element.
    int Depth() const { return m_depth; }
    // The element's name without its namespace prefix.
    std::string_view LocalName() const;
    // After a start tag: the element alone, with its attributes and no children.
    pugi::xml_node Tag();
    // After a start tag: appends it as an empty element ("<a b='1'/>") to `out`.
    void AppendTag(std::string& out) const;
    // After a start tag: appends the whole element, through its end tag, to `out`; refused with
    // `tooLarge` beyond `limit` bytes. Next() then moves past it.
    void AppendElement(std::string& out, std::size_t limit, const char* tooLarge);
    // After a start tag: moves past the element's content, so that Next() goes on after it.
    void SkipElement();

private:
    bool More();
    void Take(std::size_t count);
    bool TakeText();
    void TakeThrough(std::string_view end);
    std::size_t TagLength(bool declaration);
    [[noreturn]] void Damaged() const;

    PartReader& m_part;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_ended = false;

    std::string m_tag;  // the raw text of the last tag
    std::size_t m_nameStart = 0;
    std::size_t m_nameEnd = 0;
    std::vector<std::uint64_t> m_open;  // the open elements, by a hash of their names
    bool m_start = false;
    bool m_emptyPending = false;  // an empty element's end is still to be given
    bool m_done = false;
    int m_depth = 0;

    std::string* m_copy = nullptr;  // where taken bytes are appended, up to m_copyEnd
    std::size_t m_copyEnd = 0;
    const char* m_copyRefusal = nullptr;  // the reason a copy beyond m_copyEnd is refused with

    pugi::xml_document m_tagDocument;
};

}  // namespace zem::workbook
