#pragma once
// XML files of a task. On disk they are GBK with the declaration kXmlDeclaration; in memory the
// document holds UTF-8. Comments and processing instructions stay in the document as nodes,
// because the readers' walk over a node's children ends at the first child that is not an element.
#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace zem {

// The first line of every XML file the program writes.
inline constexpr std::string_view kXmlDeclaration = "<?xml version='1.0' encoding='GB2312'?>";

// The parse flags every XML file is read with.
inline constexpr unsigned kXmlParseFlags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// Parses the bytes of a file: GBK whatever the declaration says, or UTF-8 after a UTF-8 byte-order
// mark. False on bytes that are not text in that encoding or on malformed XML; `error` then says
// what is wrong and where (line and column), and `doc` is empty.
bool ParseXmlBytes(pugi::xml_document& doc, std::string_view bytes, std::string* error = nullptr);

// Reads and parses a file as ParseXmlBytes does. Also false for a missing file, a folder or an
// empty file; `error` then names the file.
bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, std::string* error = nullptr);

// The bytes a save writes: kXmlDeclaration in place of any declaration of the document, then the
// document, in GBK, with every character GBK cannot hold written as "&#x...;".
std::string XmlFileBytes(const pugi::xml_document& doc);

// Writes XmlFileBytes atomically: the file holds the old or the new document, never a mix. False
// with a text in `error` when the save failed; the file is then untouched.
bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, std::string* error = nullptr);

}  // namespace zem
