#include "ui/controls/delegate.h"

#include "ui/util/deletion_watch.h"

CListenerList::~CListenerList() {
    if (m_destroyed) {
        *m_destroyed = true;
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        delete static_cast<CDelegateBase*>(m_items.GetAt(i));
    }
    for (int i = 0; i < m_removedWhileRunning.GetSize(); ++i) {
        delete static_cast<CDelegateBase*>(m_removedWhileRunning.GetAt(i));
    }
}

bool CListenerList::Add(CDelegateBase* listener) {
    if (!listener) {
        return false;
    }
    if (!m_items.Add(listener)) {
        delete listener;
        return false;
    }
    return true;
}

bool CListenerList::Remove(CDelegateBase* listener) {
    int index = listener ? m_items.Find(listener) : -1;
    if (index < 0) {
        return false;
    }
    if (m_running > 0) {
        m_items.SetAt(index, nullptr);
        m_removedWhileRunning.Add(listener);
        return true;
    }
    m_items.Remove(index);
    delete listener;
    return true;
}

int CListenerList::Count() const {
    int count = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        count += m_items.GetAt(i) ? 1 : 0;
    }
    return count;
}

bool CListenerList::Run(void* param) {
    bool goOn = true;
    CDeletionWatch watch(m_destroyed);
    ++m_running;
    // The size is re-read on each step: listeners added during the run are run as well.
    for (int i = 0; goOn && i < m_items.GetSize(); ++i) {
        auto* listener = static_cast<CDelegateBase*>(m_items.GetAt(i));
        if (listener) {
            goOn = listener->Invoke(param);
            if (watch.Deleted()) {
                // The list is gone with its control: nothing of it may be touched, and the
                // event or notification goes no further.
                return false;
            }
        }
    }
    if (--m_running == 0 && !m_removedWhileRunning.IsEmpty()) {
        Compact();
    }
    return goOn;
}

void CListenerList::Compact() {
    for (int i = m_items.GetSize() - 1; i >= 0; --i) {
        if (!m_items.GetAt(i)) {
            m_items.Remove(i);
        }
    }
    for (int i = 0; i < m_removedWhileRunning.GetSize(); ++i) {
        delete static_cast<CDelegateBase*>(m_removedWhileRunning.GetAt(i));
    }
    m_removedWhileRunning.Empty();
}
