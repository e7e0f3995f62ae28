#pragma once

#include "ApplicationActivation.h"

#include <QObject>
#include <optional>

class QWidget;

namespace pulsegrove {

// The activation policy for Qt windows. Under the accessory policy every ordinary top-level window
// is marked as a tool window, which desktops keep out of the taskbar. The mark is set on the window
// without recreating it: a window that is already on screen takes the new policy the next time it
// is shown, one that is about to be shown takes it before it is mapped.
class QtApplicationActivation : public QObject, public ApplicationActivation {
    Q_OBJECT
public:
    explicit QtApplicationActivation(QObject *parent = nullptr);
    ~QtApplicationActivation() override;

    ActivationPolicy activationPolicy() const override { return m_policy; }
    bool setActivationPolicy(ActivationPolicy policy) override;
    void activate(bool ignoringOtherApps) override;

    // The flags a top-level window should carry under a policy. `typeBeforeUs` is the window type
    // we replaced earlier, if any; other kinds of windows (popups, tool tips, windows that chose
    // to be tools themselves) are returned unchanged.
    static Qt::WindowFlags flagsFor(Qt::WindowFlags current, std::optional<Qt::WindowType> typeBeforeUs,
                                    ActivationPolicy policy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply(QWidget *window) const;

    ActivationPolicy m_policy = ActivationPolicy::regular;
};

} // namespace pulsegrove
