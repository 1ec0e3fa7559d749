#include "app/hubquill_app.h"

#include "app/main_window.h"

#include <QDir>
#include <QIcon>
#include <QStandardPaths>

#include <cstdlib>

CHUBQUILLApp::CHUBQUILLApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("HUBQUILL"));
    setApplicationVersion(QStringLiteral("1.0.2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/hubquill.png")));
}

int CHUBQUILLApp::InitInstance()
{
    EnterDesktopFolder();
    CHUBQUILLDlg dialog;
    dialog.exec();
    return 0;
}

bool HasDesktopSession()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

void EnterDesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QDir(desktop).exists())
        QDir::setCurrent(desktop);
}
