#include "app_identity.h"
#include "frm_terminal.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(zkn::kApplicationTitle));
    QApplication::setApplicationVersion(QLatin1String(zkn::kVersion));

    zkn::frmTerminal window;
    window.show();
    return QApplication::exec();
}
