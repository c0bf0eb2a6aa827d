#pragma once
// Stands for the window a workbook writer reports to: records the progress texts it sends.
#include "app/output/workbook/SpreadsheetExporter.h"

#include <string>
#include <vector>

class ExportProgressRecorder : public zem::MessageTarget {
public:
    zem::LRESULT Send(unsigned message, zem::WPARAM, zem::LPARAM lParam) override
    {
        if (message == WM_EXPORT_PROGRESS)
            texts.push_back(*zem::FromLParam<const std::string>(lParam));
        return 0;
    }
    bool Post(unsigned, zem::WPARAM, zem::LPARAM) override { return true; }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return true; }

    std::vector<std::string> texts;
};
