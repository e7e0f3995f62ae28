#include "update/RollbackAlert.h"

#include "update/RollbackNotice.h"

#include <QMessageBox>

namespace pulsegrove {

QMessageBox *RollbackAlert::make(const QString &version)
{
    auto *alert = new QMessageBox;
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(QStringLiteral("Pulse Grove"));
    alert->setText(RollbackNotice::alertTitle());
    alert->setInformativeText(RollbackNotice{version}.alertText());
    alert->setTextFormat(Qt::PlainText);
    alert->addButton(RollbackNotice::alertButton(), QMessageBox::AcceptRole);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    return alert;
}

void RollbackAlert::present(const QString &version)
{
    QMessageBox *alert = make(version);
    alert->setWindowModality(Qt::NonModal);
    alert->show();
    alert->raise();
    alert->activateWindow();
}

} // namespace pulsegrove
