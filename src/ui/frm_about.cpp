// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_about.h"

#include "alternating_picture.h"
#include "app_identity.h"
#include "operator/operator.h"
#include "pictures.h"
#include "system_info.h"
#include "window_placement.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace zkn {

frmAbout::frmAbout(QWidget* parent, Operator& op) : QDialog(parent), m_operator(op)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About ") + QLatin1String(kApplicationTitle));

    auto* title = new QLabel(QStringLiteral("ZKN-Tool"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* version = new QLabel(QStringLiteral("Version ") + QLatin1String(kVersion), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(
        QStringLiteral(
            "Message Waiting Lamp (MWL) Control Tool: Features Inter-Message Delay Control, Message "
            "Logging, Text file XMIT. Supports both TCP/IP and Serial Connections. Both OLV and KRA "
            "message formats are supported.\n\nBuilt with Qt %1 for Linux.")
            .arg(QLatin1String(qVersion())),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);
    description->setMinimumWidth(360);
    auto* licence = new QLabel(
        QStringLiteral("Released under the GNU General Public License,\nversion 3 or later."), this);
    licence->setObjectName(QStringLiteral("lblLicence"));
    licence->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    QPushButton* sysInfo =
        buttons->addButton(QStringLiteral("&System Info..."), QDialogButtonBox::ActionRole);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(18);
    auto* picture =
        new AlternatingPicture(pictures::telephone(true, 64), pictures::telephone(false, 64), this);
    picture->setAccessibleName(QStringLiteral("Telephone"));
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(description, 2, 1);
    grid->addWidget(licence, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 2);
}

void frmAbout::showDialog()
{
    showOver(this, parentWidget());
}

void frmAbout::cmdSysInfo_Click()
{
    if (!StartSysInfo())
        m_operator.tell(QStringLiteral("System Information Is Unavailable At This Time"),
                        Operator::Icon::None);
}

} // namespace zkn
