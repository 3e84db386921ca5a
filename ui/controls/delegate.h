#pragma once
// Listener lists of a control. A CDelegateBase is a callable that receives the control (or the
// event record for event listeners) and answers whether the run should go on.

#include <new>
#include <utility>

#include "ui/util/pointer_array.h"

class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    // false stops the run.
    virtual bool Invoke(void* param) = 0;
};

template <typename Callable>
class CDelegate final : public CDelegateBase {
public:
    explicit CDelegate(Callable callable) : m_callable(std::move(callable)) {}
    bool Invoke(void* param) override { return m_callable(param); }

private:
    Callable m_callable;
};

// Wraps any callable taking a void* and returning bool; null when memory runs out (a listener
// list refuses null).
template <typename Callable>
CDelegateBase* MakeDelegate(Callable callable) {
    return new (std::nothrow) CDelegate<Callable>(std::move(callable));
}

// An ordered list that owns its delegates. A listener may remove itself (or another one) while
// the list is running: its slot is emptied at once, and the delegate is deleted when the
// outermost run ends, so a listener never runs on after its own deletion.
class CListenerList {
public:
    CListenerList() = default;
    ~CListenerList();
    CListenerList(const CListenerList&) = delete;
    CListenerList& operator=(const CListenerList&) = delete;

    // Takes ownership; false (and the delegate deleted) when the list cannot grow.
    bool Add(CDelegateBase* listener);
    // Deletes the listener; false when it is not in the list.
    bool Remove(CDelegateBase* listener);
    int Count() const;
    bool IsEmpty() const { return Count() == 0; }

    // Invokes the listeners in order; returns false as soon as one of them does, and when a
    // listener destroyed the list itself (deleting the control that holds it).
    bool Run(void* param);

private:
    void Compact();

    PointerArray m_items;
    PointerArray m_removedWhileRunning;
    int m_running = 0;
    // Set by the destructor: the flag of the innermost run, so a run learns that its list died.
    bool* m_destroyed = nullptr;
};
