#pragma once
// The one answer to "was I deleted during this call": an object that calls out (to listeners,
// notifications, focus moves) keeps a `bool*` slot that its destructor sets when it is not null;
// a watch hands the slot a flag of its own for its lifetime. Watches nest (a notification inside
// another one), and a deletion is passed on to every outer watch. Controls have the slot in
// their base (CControlUI::m_deletionSlot); listener lists have their own.

class CDeletionWatch {
public:
    explicit CDeletionWatch(bool*& slot) : m_slot(slot), m_outer(slot) { slot = &m_deleted; }
    ~CDeletionWatch() {
        if (m_deleted) {
            // The slot died with the control; only an outer watch is left to tell.
            if (m_outer) {
                *m_outer = true;
            }
        } else {
            m_slot = m_outer;
        }
    }
    CDeletionWatch(const CDeletionWatch&) = delete;
    CDeletionWatch& operator=(const CDeletionWatch&) = delete;
    bool Deleted() const { return m_deleted; }

private:
    bool*& m_slot;
    bool* m_outer;
    bool m_deleted = false;
};
