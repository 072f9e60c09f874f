#include "app_icon.h"
#include "app_identity.h"
#include "frm_terminal.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QLatin1String(zkn::kApplicationTitle));
    QApplication::setOrganizationName(QLatin1String(zkn::kApplicationTitle));
    QApplication::setApplicationVersion(QLatin1String(zkn::kVersion));
    QApplication::setWindowIcon(zkn::applicationIcon());
    // Lets a Wayland desktop find the installed zkn-tool.desktop, and with it the icon, for the windows.
    QApplication::setDesktopFileName(QStringLiteral("zkn-tool"));

    zkn::WidgetOperator op;
    zkn::ToolApplication app(op);
    zkn::frmTerminal window(app.windowServices());
    op.setParent(&window);
    app.attach(window);
    window.startUp([&window] { window.show(); });
    return QApplication::exec();
}
