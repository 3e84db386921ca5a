// CWindowHostUI: the guard that code handing control to listeners keeps on its stack.

#include "ui/core/window_host.h"

CWindowHostUI::DeliveryGuard::DeliveryGuard(CWindowHostUI* host, CControlUI* control)
    : m_host(host), m_control(control), m_outer(host->m_guards) {
    host->m_guards = this;
}

CWindowHostUI::DeliveryGuard::~DeliveryGuard() {
    if (m_host) {
        m_host->m_guards = m_outer;
    }
}
