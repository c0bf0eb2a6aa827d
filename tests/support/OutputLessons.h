#pragma once
// The lessons a task's output.xml holds, class by class, for comparing runs.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <string>
#include <vector>

// output.xml's lessons per class id, each as its attributes in file order.
inline std::map<std::string, std::vector<std::string>> LessonsByClass(const std::string& path)
{
    std::map<std::string, std::vector<std::string>> lessons;
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(path.c_str())) << path;
    for (pugi::xml_node cls : doc.child("Output").children("Class")) {
        auto& list = lessons[cls.attribute("id").value()];
        for (pugi::xml_node item : cls.children("Item")) {
            std::string line;
            for (pugi::xml_attribute a : item.attributes())
                line += std::string(a.name()) + "=" + a.value() + " ";
            list.push_back(line);
        }
    }
    return lessons;
}
