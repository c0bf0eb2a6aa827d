#include "app/shell/TipList.h"

#include <chrono>

CTipList::CTipList()
    : m_random(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    m_notShown = {
        {1, "什么是排课任务",
         "通常情况下，一个排课任务对应一个学期的课表。您可以根据需要创建任意数量的排课任务\n"
         "可以将一个排课任务理解为一份文档，其中包含排课基本数据、排课条件和生成的课表"},
        {2, "快速生成基本数据",
         "创建排课任务后，可以直接导入教学计划，导入教学计划的过程中系统会自动生成相关的班级、课程和教师信息"},
        {3, "手工调课的缓冲区",
         "在冲突较多的情况下，为缓解调课困难，可以在班级课表上通过鼠标右键将某些节次课程清除，相当于暂时放入了缓冲区\n"
         "后续可以再通过鼠标右键在合适的节次上安排该课程"},
        {0, "常规教室可以不录入",
         "教室和场地信息用于维护在排课过程中有竞争性的教室资源，如电脑教室、操场等\n每班固定一个的常规教室可以不录入"},
        {0, "全校固定活动时间",
         "如果某些节次的安排是全校统一的（例如班会），可以在基本数据维护的教学时间中设置全校固定活动时间"},
        {0, "任课教师调整",
         "课表排好后，如果要调整教师，可以在第5页中的教学计划调整工具中进行操作\n"
         "系统会自动检查新任课教师和原教学计划的时间有没有冲突，同时提供强大的冲突解决工具"},
        {0, "输入拼音缩写快速定位",
         "在选择教师、班级、教室或教学计划时，可以输入名称进行搜索，也可以输入拼音搜索，且支持拼音缩写\n"
         "例如：在选择教师窗口中要定位李明老师，在搜索框中直接输入“lm”即可"},
        {0, "设置单双周教学计划",
         "在教学计划信息窗口中，周课时数可以输入0.5节。例如周课时数为3.5，表示每周排3节，还有0.5节排在单周或双周"},
        {0, "课表上的通栏", "在导出或打印课表的预览界面上，点击通栏设置，可以为课表增加眼保健操，大课间等通栏信息"},
        {0, "在教师课表上显示教研活动信息",
         "在设置教师组或教师固定无课时间的时候，可以通过鼠标右键，标识教研活动信息，标识的相关信息也会显示在教师课表上"},
        {0, "为一门课程安排两个以上的老师",
         "在排课条件设置中，使用助教功能，可以为一门课程安排两个以上的老师，系统会自动同步相关老师课表，避免冲突"},
        {0, "设置时一键选择整行或整列",
         "在设置固定无课时间或固定活动时间时，可以点击课表左侧的节次选择一行，也可以点击课表顶部的星期名称选择一列，反之亦然"},
    };
}

const CTipItem* CTipList::GetRandom()
{
    if (m_notShown.empty()) {
        m_notShown.insert(m_notShown.end(), m_shown.begin(), m_shown.end());
        m_shown.clear();
    }
    if (m_notShown.empty())
        return nullptr;
    const std::size_t pick = m_random() % m_notShown.size();
    m_shown.push_back(m_notShown[pick]);
    m_notShown.erase(m_notShown.begin() + static_cast<std::ptrdiff_t>(pick));
    return &m_shown.back();
}

const CTipItem* CTipList::GetById(int id)
{
    for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it) {
        if (it->id == id)
            return &*it;
    }
    for (auto it = m_notShown.rbegin(); it != m_notShown.rend(); ++it) {
        if (it->id == id) {
            m_shown.push_back(*it);
            m_notShown.erase(std::next(it).base());
            return &m_shown.back();
        }
    }
    return nullptr;
}
