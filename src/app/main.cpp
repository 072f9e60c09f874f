#include "app_identity.h"
#include "frm_terminal.h"
#include "widget_operator.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(zkn::kApplicationTitle));
    QApplication::setOrganizationName(QLatin1String(zkn::kApplicationTitle));
    QApplication::setApplicationVersion(QLatin1String(zkn::kVersion));

    zkn::WidgetOperator op;
    zkn::frmTerminal window(op);
    op.setParent(&window);
    window.startUp([&window] { window.show(); });
    return QApplication::exec();
}
