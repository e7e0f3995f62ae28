#include "dashboard/UsageDashboardPageView.h"

#include "analytics/UsageDashboardReport.h"
#include "dashboard/UsageDashboardPageModel.h"
#include "dashboard/UsageQuotaRowCard.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

constexpr int pageMargin = 32;
constexpr int columns = 2;

QString errorMessageIn(const nlohmann::json &value)
{
    const auto message = value.is_object() ? value.find("message") : value.end();
    if (value.is_object() && message != value.end() && message->is_string() &&
        !message->get<std::string>().empty())
        return QString::fromStdString(message->get<std::string>());
    return UsageDashboardPageModel::loadFailedMessage();
}

} // namespace

UsageDashboardPageView::UsageDashboardPageView(QWidget *parent) : QWidget(parent)
{
    // The page always draws in the dark scheme, wherever it is hosted.
    DarkPalette::apply(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(pageMargin, pageMargin, pageMargin, pageMargin);
    layout->setSpacing(14);
    layout->addWidget(
        ViewLabels::makeLabel(UsageDashboardPageModel::title(), ViewFonts::systemFont(24, QFont::Bold)));
    layout->addWidget(ViewLabels::makeLabel(UsageDashboardPageModel::scopeNote(), ViewFonts::systemFont(13),
                                            ThemeColor::secondaryText()));
    m_status = ViewLabels::makeLabel(UsageDashboardPageModel::loadingMessage(), ViewFonts::systemFont(13),
                                     ThemeColor::accent());
    layout->addWidget(m_status);
    m_grid = new QGridLayout;
    m_grid->setSpacing(16);
    layout->addLayout(m_grid);
    m_empty = ViewLabels::makeLabel(UsageDashboardPageModel::emptyMessage(), ViewFonts::systemFont(15),
                                    ThemeColor::secondaryText());
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->hide();
    layout->addWidget(m_empty);
    layout->addStretch(1);
}

QString UsageDashboardPageView::statusText() const
{
    return m_status->isHidden() ? QString() : m_status->text();
}

bool UsageDashboardPageView::receive(const QString &event, const std::string &payload)
{
    if (m_stopped)
        return false;
    const auto value = nlohmann::json::parse(payload, nullptr, false);
    try {
        if (value.is_discarded())
            throw std::runtime_error("not JSON");
        if (event == QLatin1String(reportEvent)) {
            showRows(UsageDashboardReport::fromJSON(value).quotaSnapshots);
            setStatus({});
        } else if (event == QLatin1String(snapshotsEvent)) {
            showRows(UsageQuotaSnapshot::decodeList(value));
        } else if (event == QLatin1String(scanEvent)) {
            setStatus(UsageDashboardPageModel::loadingMessage());
        } else if (event == QLatin1String(errorEvent)) {
            setStatus(errorMessageIn(value));
        } else {
            return false;
        }
    } catch (const std::exception &) {
        setStatus(UsageDashboardPageModel::unreadableMessage());
        return false;
    }
    return true;
}

void UsageDashboardPageView::stop()
{
    m_stopped = true;
    showRows({});
    m_empty->hide();
    setStatus({});
}

void UsageDashboardPageView::showRows(std::vector<UsageQuotaSnapshot> rows)
{
    while (auto *item = m_grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_rows = std::move(rows);
    for (std::size_t index = 0; index < m_rows.size(); ++index)
        m_grid->addWidget(new UsageQuotaRowCard(m_rows[index]), int(index) / columns, int(index) % columns);
    m_empty->setVisible(m_rows.empty());
}

void UsageDashboardPageView::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void UsageDashboardPageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ViewColors::diagonalGradient(rect(), ThemeColor::panelTop().resolve(),
                                                          ThemeColor::panelBottom().resolve()));
}

} // namespace pulsegrove
