// Placeholder until placing and the automatic backups land: stored lessons are not placed and no
// backup is taken meanwhile.
#include "base/ScheduleTask.h"

void CScheduleTask::SetCourseNode(CCourseInfo*, const std::string&, bool, tagTABLE_NODE, int) {}
bool CScheduleTask::AutoBackup(bool, const std::string&, bool) { return false; }
