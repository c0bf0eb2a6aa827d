// The program's string table: texts that several windows load by number.
#include "app/shared/Strings.h"

#include <map>

namespace {

const std::map<int, std::string>& Table()
{
    static const std::map<int, std::string> table = {
        {2, "Tavelin"},
        {5, "1.0"},
        {6, "全新的自动化排课体验从这里开始！\n如果您是第一次使用，可以打开演示排课任务进行体验，也可以直接创建新的排课任务。\n"
            "什么是排课任务？通常情况下，一个排课任务对应一个学期的课表。也可以将排课任务理解为一份文档，"
            "其中包括基本数据、排课条件和生成的课表。"},
        {7, "维护排课的基本数据，包括教学时间、班级、课程、教师、教师组、教室、教学计划等（其中教师组和教室信息如无需要可不填）。\n"
            "您可以手工输入这些数据，也可以直接从EXCEL文件导入。导入教学计划时，会自动生成相关的班级、课程和教师信息。"},
        {8, "可以在这里设置自动排课的约束条件。"},
        {9, "自动化排课控制及相关信息。\n如果您对自动排课的结果不满意，可以多试几次。"},
        {10, "查看自动化排课生成的课表，可以手工调整。"},
        {12, "全校固定无课时间：固定不上课，在课表上点击鼠标左键设置，显示为红色，再次点击左键可取消\n"
             "全校固定活动时间：不指定老师，在课表上点击鼠标右键设置，显示为红色文字，再次点击左键可取消"},
        {14, "Tavelin大课表版"},
        {15, "1.0"},
        {16, "您电脑上的EXCEL软件可能安装不完整，所以无法启动EXCEL服务。\n"
             "您可以尝试重新安装 微软Office软件 或 金山WPS软件 来解决这个问题。"},
        // The program reads workbooks itself: the advice concerns the file alone.
        {18, "导入过程中出现异常！\n请检查文件是否是完整的Excel文件（.xlsx 或 .xls），数据格式是否符合要求。"},
        {20, "Tavelin已经在运行"},
        // Tool tips of the print preview's tool bar.
        {32782, "基本设置"},
        {32811, "第一页"},
        {32812, "上一页"},
        {32815, "下一页"},
        {32816, "最后一页"},
        {32818, "退出"},
        {32819, "打印"},
        {32880, "导出"},
        {32890, "通栏设置"},
    };
    return table;
}

}  // namespace

std::string LoadResString(int id)
{
    const auto it = Table().find(id);
    return it == Table().end() ? std::string() : it->second;
}
