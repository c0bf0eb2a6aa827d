#pragma once
// XML files of a task. On disk they are GBK with the declaration kXmlDeclaration; in memory the
// document holds UTF-8. Comments and processing instructions stay in the document as nodes, so
// that the readers decide what they mean.
#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace zem {

// The first line of every XML file the program writes.
inline constexpr std::string_view kXmlDeclaration = "<?xml version='1.0' encoding='GB2312'?>";

// The parse flags every XML file is read with.
inline constexpr unsigned kXmlParseFlags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// No file of the program nests elements this deep; a deeper one is damaged or hostile, and
// refusing it keeps every reader's walk short.
inline constexpr int kMaxXmlDepth = 32;

// Parses the bytes of a file in the encoding it declares: GBK, GB2312 (read as GBK), GB18030 or
// UTF-8; GBK without a declaration; UTF-8 after a UTF-8 byte-order mark whatever the declaration
// says. False on another declared encoding, on bytes that are not text in the encoding, on
// malformed XML or on nodes nested deeper than maxDepth; `error` then says what is wrong and
// where (line and column), and `doc` is empty.
bool ParseXmlBytes(pugi::xml_document& doc, std::string_view bytes, std::string* error = nullptr,
                   int maxDepth = kMaxXmlDepth);

// Reads and parses a file as ParseXmlBytes does. Also false for a missing file, a folder, a file
// that is not a regular one, one larger than kMaxReadBytes or an empty file; `error` then names
// the file and `errorCode` gets the errno of a failed read (0 when the bytes were read).
bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, std::string* error = nullptr,
                 int* errorCode = nullptr);

// The bytes a save writes: kXmlDeclaration in place of any declaration of the document, then the
// document, in GBK, with every character GBK cannot hold written as "&#x...;". False, with the
// place in `error`, when the document holds bytes that are not UTF-8 text.
bool XmlFileBytes(const pugi::xml_document& doc, std::string& bytes, std::string* error = nullptr);

// True when the bytes parse (as ParseXmlBytes) into what the document holds: the same elements,
// attributes and texts in the same order. Otherwise `error` says what read back differently.
bool XmlReadsBackAs(const pugi::xml_document& doc, std::string_view bytes, std::string* error = nullptr);

// Writes XmlFileBytes atomically, once the written file reads back as the document: the file
// holds the old or the new document, never a mix or something else. False with a text in `error`
// when the save failed; the file is then untouched.
bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, std::string* error = nullptr,
                 int* errorCode = nullptr);

}  // namespace zem
