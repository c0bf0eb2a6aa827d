// The program zem.
#include "app/shell/ZemApp.h"
#include "base/Log.h"

#include <QApplication>

int main(int argc, char** argv)
{
    CLog::Configure(argc, argv);
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    return CZemApp::InitInstance();
}
