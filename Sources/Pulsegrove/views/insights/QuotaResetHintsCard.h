#pragma once

#include "UserDefaults.h"
#include "foundation/Clock.h"
#include "quota/QuotaSnapshot.h"
#include "views/primitives/CardFrame.h"

#include <memory>
#include <optional>

class QLabel;
class QVBoxLayout;

namespace pulsegrove {

class MinuteTimeline;
class QuotaNoticeStore;
class DisclosureButton;
class ToggleSwitch;

// The panel's card of the next quota reset: the reset hint of the snapshot it was built with,
// the reset-reminder switch (the stored preference itself) and, on request, the official reset
// notices. While on screen it counts as a surface that shows notices.
class QuotaResetHintsCard : public CardFrame {
    Q_OBJECT

public:
    QuotaResetHintsCard(const std::optional<QuotaSnapshot> &snapshot, bool isStale,
                        QWidget *parent = nullptr);
    // The same on a notice store, defaults and clock of the caller's choosing.
    QuotaResetHintsCard(const std::optional<QuotaSnapshot> &snapshot, bool isStale,
                        QuotaNoticeStore &noticeStore, std::shared_ptr<UserDefaults> defaults, Clock clock,
                        QWidget *parent = nullptr);
    // A card destroyed while on screen withdraws from the notice store as a hidden one would.
    ~QuotaResetHintsCard() override;

    bool showNotices() const { return m_showNotices; }
    void setShowNotices(bool show);

    // The shown parts, for tests and diagnostics.
    QString hintTitle() const;
    QString hintDetail() const;
    QStringList noticeTexts() const;
    ToggleSwitch *reminderSwitch() const { return m_reminderSwitch; }
    DisclosureButton *noticesButton() const { return m_noticesButton; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makeHeader();
    void showHint(Date now);
    void showNoticeRows();
    void setRegistered(bool registered);

    std::optional<QuotaSnapshot> m_snapshot;
    bool m_isStale;
    QuotaNoticeStore &m_noticeStore;
    std::shared_ptr<UserDefaults> m_defaults;
    bool m_showNotices = false;
    bool m_isRegistered = false;
    MinuteTimeline *m_timeline;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_detailLabel = nullptr;
    ToggleSwitch *m_reminderSwitch = nullptr;
    DisclosureButton *m_noticesButton = nullptr;
    QWidget *m_notices = nullptr;
    QVBoxLayout *m_noticesLayout = nullptr;
};

} // namespace pulsegrove
