#include "permission-wizard/KDPermissionWizardView.h"

#include "permission-wizard/KDPermissionState.h"
#include "permission-wizard/KDPermissionWizard.h"

namespace ikw::wizard {

KDPermissionWizardView::KDPermissionWizardView(Inputs inputs)
    : m_inputs(std::move(inputs))
{
}

KDPermissionWizardView::~KDPermissionWizardView()
{
    if (m_unsubscribeBecameActive)
        m_unsubscribeBecameActive();
}

void KDPermissionWizardView::setForcedDidAsk(bool asked)
{
    m_inputs.forcedDidAsk = asked;
    changed();
}

void KDPermissionWizardView::appear()
{
    if (m_inputs.initialStep)
        setStep(*m_inputs.initialStep);
    refresh();
    if (!m_ticker.isScheduled())
        m_ticker = mainQueue().schedule(1.0, true, [this] { refresh(); });
    if (!m_unsubscribeBecameActive && m_inputs.subscribeBecameActive)
        m_unsubscribeBecameActive = m_inputs.subscribeBecameActive([this] { refresh(); });
}

void KDPermissionWizardView::refresh()
{
    GrantMap latest;
    for (const auto& permission : m_inputs.permissions) {
        std::optional<bool> forced;
        if (m_inputs.forcedGrants) {
            if (const auto found = m_inputs.forcedGrants->find(permission.id); found != m_inputs.forcedGrants->end())
                forced = found->second;
        }
        // A later permission with the same id overwrites the earlier one.
        latest[permission.id] = forced ? *forced : (permission.probe && permission.probe());
    }
    if (latest == m_granted)
        return;
    m_granted = std::move(latest);
    // The controller's list, not this view's own: the file reports the configuration.
    KDPermissionState::write(KDPermissionWizard::permissions(), KDPermissionWizard::skippedIDs());
    changed();
}

KDPermissionWizardView::Screen KDPermissionWizardView::screen() const
{
    if (m_step < 0)
        return Screen::Summary;
    if (m_step >= count())
        return Screen::Done;
    return Screen::Permission;
}

SummaryScreen KDPermissionWizardView::summaryScreen() const
{
    return {
        .product = m_inputs.product,
        .permissions = m_inputs.permissions,
        .granted = m_granted,
        .start = weakAction(&KDPermissionWizardView::start, m_step),
    };
}

DoneScreen KDPermissionWizardView::doneScreen() const
{
    return {
        .product = m_inputs.product,
        .granted = m_granted,
        .permissions = m_inputs.permissions,
        .close = m_inputs.onClose,
    };
}

std::optional<PermissionScreen> KDPermissionWizardView::permissionScreen() const
{
    if (screen() != Screen::Permission)
        return std::nullopt;
    const auto& permission = m_inputs.permissions[static_cast<std::size_t>(m_step)];
    return PermissionScreen {
        .product = m_inputs.product,
        .permission = permission,
        .index = m_step,
        .total = count(),
        .isGranted = isGrantedIn(m_granted, permission.id),
        .forcedDidAsk = m_inputs.forcedDidAsk,
        .didAsk = m_didAsk,
        .bundlePath = KDPermissionWizard::host().bundlePath(),
        .onSkip = weakAction(&KDPermissionWizardView::skip, m_step),
        .onContinue = weakAction(&KDPermissionWizardView::advance, m_step),
        .markAsked = [weak = weak_from_this(), step = m_step] {
            const auto self = std::const_pointer_cast<KDPermissionWizardView>(weak.lock());
            if (self && self->m_step == step && !self->m_didAsk) {
                self->m_didAsk = true;
                self->changed();
            }
        },
    };
}

bool KDPermissionWizardView::showsBack() const { return m_step >= 1 && m_step <= count(); }

bool KDPermissionWizardView::showsNotNow() const { return m_step < count(); }

void KDPermissionWizardView::back()
{
    if (showsBack())
        setStep(m_step - 1);
}

void KDPermissionWizardView::notNow()
{
    if (!showsNotNow())
        return;
    // Closing may destroy this view: run a copy, and nothing after it.
    if (const auto close = m_inputs.onClose)
        close();
}

void KDPermissionWizardView::start() { setStep(firstOutstanding()); }

void KDPermissionWizardView::advance() { setStep(m_step + 1 >= count() ? count() : m_step + 1); }

void KDPermissionWizardView::skip()
{
    if (screen() != Screen::Permission)
        return;
    KDPermissionWizard::markSkipped(m_inputs.permissions[static_cast<std::size_t>(m_step)].id);
    advance();
}

int KDPermissionWizardView::firstOutstanding() const
{
    for (int index = 0; index < count(); ++index) {
        if (!isGrantedIn(m_granted, m_inputs.permissions[static_cast<std::size_t>(index)].id))
            return index;
    }
    return count();
}

void KDPermissionWizardView::setStep(int step)
{
    // The asked state belongs to the screen shown.
    if (step != m_step)
        m_didAsk = false;
    m_step = step;
    changed();
}

void KDPermissionWizardView::changed() const
{
    if (const auto notify = m_onChanged)
        notify();
}

std::function<void()> KDPermissionWizardView::weakAction(void (KDPermissionWizardView::*action)(),
    std::optional<int> onStep) const
{
    return [weak = weak_from_this(), action, onStep] {
        const auto self = std::const_pointer_cast<KDPermissionWizardView>(weak.lock());
        // A screen drawn for another step acts no more: a second click must not skip the next one.
        if (self && (!onStep || self->m_step == *onStep))
            ((*self).*action)();
    };
}

}
