#pragma once
// Workbooks converted to CSV by LibreOffice, where it is installed: one headless call with a
// profile folder of its own, every sheet into "<workbook name>-<sheet>.csv".
#include <QProcess>
#include <QStandardPaths>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// soffice, or empty when it is not installed.
inline QString OfficeProgram()
{
    return QStandardPaths::findExecutable("soffice");
}

// Converts the sheets of the workbooks into CSV files in `folder`/csv, in one call; the error text
// when soffice failed. soffice answers 0 also when a file did not load, so callers check every file
// they expect.
inline std::string ConvertSheetsToCsv(const QString& office, const std::vector<std::string>& workbooks,
                                      const std::string& folder)
{
    QStringList arguments{"--headless", "-env:UserInstallation=file://" + QString::fromStdString(folder + "/profile"),
                          "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
                          "--outdir", QString::fromStdString(folder + "/csv")};
    for (const std::string& workbook : workbooks)
        arguments << QString::fromStdString(workbook);
    QProcess convert;
    convert.start(office, arguments);
    if (!convert.waitForFinished(120000))
        return "soffice did not finish";
    if (convert.exitCode() != 0)
        return convert.readAllStandardError().toStdString();
    return {};
}

inline std::string ConvertSheetsToCsv(const QString& office, const std::string& workbook, const std::string& folder)
{
    return ConvertSheetsToCsv(office, std::vector<std::string>{workbook}, folder);
}

// The text of a converted sheet; empty when the file is missing.
inline std::string ReadCsv(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Converts workbooks into PDF files in `folder`/pdf as LibreOffice prints them (their page setup,
// print areas and page breaks), in one call: LibreOffice takes far longer to start than to convert.
// The PDFs' paths in the workbooks' order, each empty when soffice failed or left it out.
inline std::vector<std::string> ConvertToPdfs(const QString& office, const std::vector<std::string>& workbooks,
                                              const std::string& folder)
{
    QStringList arguments{"--headless", "-env:UserInstallation=file://" + QString::fromStdString(folder + "/profile"),
                          "--convert-to", "pdf", "--outdir", QString::fromStdString(folder + "/pdf")};
    for (const std::string& workbook : workbooks)
        arguments << QString::fromStdString(workbook);
    QProcess convert;
    convert.start(office, arguments);
    const bool converted = convert.waitForFinished(300000) && convert.exitCode() == 0;
    std::vector<std::string> pdfs;
    for (const std::string& workbook : workbooks) {
        const std::string name = workbook.substr(workbook.find_last_of('/') + 1);
        const std::string pdf = folder + "/pdf/" + name.substr(0, name.find_last_of('.')) + ".pdf";
        pdfs.push_back(converted && std::ifstream(pdf).good() ? pdf : std::string());
    }
    return pdfs;
}

inline std::string ConvertToPdf(const QString& office, const std::string& workbook, const std::string& folder)
{
    return ConvertToPdfs(office, {workbook}, folder).front();
}
