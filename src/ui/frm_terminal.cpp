#include "frm_terminal.h"

#include "app_identity.h"

namespace zkn {

frmTerminal::frmTerminal(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QLatin1String(kApplicationTitle));
    resize(700, 400);
}

} // namespace zkn
