#pragma once
// What the readers and writers of a task's XML files share: walking children past comments,
// required attributes, limits on what a school can have, clamped numbers, a fixed write order,
// and the save with its messages. Internal to the library.
#include "base/SchoolStructure.h"
#include "base/ZemObject.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CScheduleTask;

namespace taskxml {

// A file lacks an attribute it must have. Thrown by the readers and caught once per file, so one
// handler shows one message however deep the fault lies.
struct MissingAttribute {
    std::string name;
};

// A node other than an element, a comment, a processing instruction or white space (text, CDATA)
// stood between elements of a list, and the elements after it went unread. Thrown by ForEachElement
// and FindChild; the file must then not be saved over.
struct UnreadElements {};

// A list holds more objects than any school has; `kind` names them for the user.
struct TooManyObjects {
    const char* kind;
    std::size_t limit;
};

// Comments, processing instructions and white space are passed over wherever a list is read or a
// child looked up: a note a user wrote into the file must not hide what follows it, and white
// space between elements means nothing, also when written as character references.
inline bool IsPassedOver(pugi::xml_node node)
{
    if (node.type() == pugi::node_comment || node.type() == pugi::node_pi)
        return true;
    if (node.type() != pugi::node_pcdata)
        return false;
    const std::string_view text = node.value();
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Calls f for each element child in document order, passing over comments and processing
// instructions. Any other node ends the walk, as files have always been read; false when
// elements follow it, so that a caller knows part of the file went unread.
template <class F>
bool ForEachElementInFull(pugi::xml_node parent, F&& f)
{
    pugi::xml_node child = parent.first_child();
    for (; child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            f(child);
        else if (!IsPassedOver(child))
            break;
    }
    for (; child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            return false;
    return true;
}

// As ForEachElementInFull; throws UnreadElements when elements went unread.
template <class F>
void ForEachElement(pugi::xml_node parent, F&& f)
{
    if (!ForEachElementInFull(parent, std::forward<F>(f)))
        throw UnreadElements{};
}

// The first element child named `name` (ASCII case ignored), passing over comments and processing
// instructions; any other node ends the search. Throws UnreadElements when the name occurs after it.
pugi::xml_node FindChild(pugi::xml_node node, std::string_view name);

// Refuses a list larger than a school can have before anything of it is built: throws
// TooManyObjects when the parent has more than `limit` element children.
void CheckCount(pugi::xml_node parent, const char* kind, std::size_t limit);

// The attribute's value; throws MissingAttribute when the element has no such attribute.
std::string Required(pugi::xml_node element, const char* name);
bool HasAttribute(pugi::xml_node element, const char* name);

// A number read as a decimal prefix (no digits reads as 0), clamped to [low, high].
int ClampedInt(std::string_view text, int low, int high);
inline bool Flag(std::string_view text) { return ClampedInt(text, -1, 1) != 0; }

// The "index" attribute every list object carries.
int RequiredIndex(pugi::xml_node element);

// Reads one object per element child of the section and hands it to the list, which takes over an
// id it already holds; an object without an id is dropped. A section of more than `limit` objects
// is refused whole.
template <class T, class Fill>
void ReadObjects(pugi::xml_node section, CZemObjectList& list, const char* kind, std::size_t limit, Fill&& fill)
{
    CheckCount(section, kind, limit);
    ForEachElement(section, [&](pugi::xml_node element) {
        auto object = std::make_unique<T>();
        fill(*object, element);
        if (object->IsValid())
            list.Add(object.release());
    });
}

// The element's text: all its text content, with surrounding white space trimmed.
std::string ElementText(pugi::xml_node element);

// The element that the path "//<parent>/<name>" selects: the first element of that name, in
// document order, whose parent is an element named `parent`.
pugi::xml_node SelectSection(const pugi::xml_document& doc, const char* parent, const char* name);

pugi::xml_node Append(pugi::xml_node parent, const char* name);
void SetAttribute(pugi::xml_node element, const char* name, std::string_view value);
void SetAttribute(pugi::xml_node element, const char* name, int value);
void SetAttributeUnsigned(pugi::xml_node element, const char* name, unsigned value);
inline void SetFlag(pugi::xml_node element, const char* name, bool value) { SetAttribute(element, name, value ? "1" : "0"); }
// Appends a child element holding the text.
void AppendText(pugi::xml_node parent, const char* name, std::string_view text);


// An "Activities" element under the parent, one "Activity" per entry; and reading one back.
void WriteActivities(pugi::xml_node parent, const CActivities& activities);
void ReadActivities(pugi::xml_node element, CActivities& activities);

// A stamp that tells one save from every other: local time for a reader, then a count no other
// save of any program shares. Short, printable ASCII.
std::string NewFileStamp();
bool IsFileStamp(std::string_view text);

// The stamp input.xml and output.xml carry on their root elements when they were saved together:
// two files whose stamps differ do not belong together. An empty stamp writes none.
void SetPairStamp(pugi::xml_node root, const std::string& stamp);
// The pair stamp of a root element: empty when it has none (a file of an older version). A stamp
// attribute that is there but is no stamp, or is there twice, is damaged: such a file belongs to no
// pair.
struct PairStamp {
    std::string value;
    bool damaged = false;
};
PairStamp ReadPairStamp(pugi::xml_node root);

// The reasons a reader gives for a file it could not read in full, each naming the file.
std::string NoRootText(const std::string& path, const char* root);
std::string UnreadElementsText(const std::string& path);
std::string MissingAttributeText(const std::string& path, const std::string& name);
std::string TooManyObjectsText(const std::string& path, const TooManyObjects& fault);
// Shows "读取 <file name> 文件出错！" with the reason below it, when there is one.
void ShowReadError(const std::string& path, const std::string& why);

// The message of a save that failed: the file and the system's reason (a full disk, no
// permission, a read-only disk, a name too long).
std::string SaveErrorText(const std::string& path, int errorCode);

// False, after showing the save error, when the task's folder is gone: the task can then be
// neither saved nor backed up.
bool CheckTaskFolder(const CScheduleTask& task);
// The message of a failed save of a task file at `path`: the folder gone, the text that would not
// read back with its place, or the system's reason for `code`. Logs `error`.
std::string SaveFailureText(const CScheduleTask& task, const std::string& path, int code, const std::string& error);
// Takes the hourly backup of the files as they are, then saves the document of the task at
// `path`. On failure shows the save error and returns false; the file is then untouched.
bool SaveTaskDocument(CScheduleTask& task, const pugi::xml_document& doc, const std::string& path);

// The rule and setting sections of input.xml.
void WriteRuleSections(CScheduleTask& task, pugi::xml_node input);
void ReadRuleSections(CScheduleTask& task, const pugi::xml_document& doc);

}  // namespace taskxml
