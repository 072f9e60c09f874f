// SPDX-License-Identifier: GPL-3.0-or-later
#include "app_icon.h"
#include "app_identity.h"
#include "frm_terminal.h"
#include "start_up_options.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QApplication>

namespace {

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QLatin1String(zkn::kApplicationTitle));
    QCoreApplication::setOrganizationName(QLatin1String(zkn::kApplicationTitle));
    QCoreApplication::setApplicationVersion(QLatin1String(zkn::kVersion));
}

} // namespace

int main(int argc, char* argv[])
{
    nameTheApplication();
    if (const auto own = zkn::readCommandLine(zkn::ownArguments(argc, argv));
        std::holds_alternative<int>(own))
        return std::get<int>(own);
    // Made first: it takes Qt's own options (such as -platform) off the command line.
    QApplication qapp(argc, argv);
    QApplication::setWindowIcon(zkn::applicationIcon());
    // Lets a Wayland desktop find the installed zkn-tool.desktop, and with it the icon, for the windows.
    QApplication::setDesktopFileName(QStringLiteral("zkn-tool"));
    const auto commandLine = zkn::readCommandLine(QCoreApplication::arguments());
    if (const int* status = std::get_if<int>(&commandLine))
        return *status;
    const zkn::StartUpOptions options = std::get<zkn::StartUpOptions>(commandLine);

    zkn::WidgetOperator op;
    zkn::ToolApplication app(op);
    zkn::frmTerminal window(app.windowServices());
    op.setParent(&window);
    app.attach(window);
    window.startUp([&window, options] {
        window.show();
        zkn::applyStartUpOptions(options, window);
    });
    return QApplication::exec();
}
