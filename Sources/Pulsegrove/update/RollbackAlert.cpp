#include "update/RollbackAlert.h"

#include "update/RollbackNotice.h"

#include <QLabel>
#include <QMessageBox>

namespace pulsegrove {

namespace {

constexpr int minimumTextWidth = 360;

} // namespace

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
    // The title reads as the alert's headline, and the sentence under it gets the width of a
    // line instead of wrapping after a few characters.
    if (auto *headline = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = headline->font();
        bold.setBold(true);
        headline->setFont(bold);
    }
    if (auto *sentence = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        sentence->setMinimumWidth(minimumTextWidth);
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
