// Message maps: a static table per dialog class routing (notification, control id) to a
// handler, checked before the base class's table.
//
//   class CMyDlg : public CDialog { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_BN_CLICKED(1001, OnApply)
//   END_MESSAGE_MAP()
#pragma once

#include "Messages.h"

template <class T> struct MessageEntry {
    UINT code;
    int firstId;
    int lastId;
    void (T::*handler)();
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    bool OnNotify(int id, UINT code) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    bool theClass::OnNotify(int id, UINT code) {                                                   \
        using ThisClass = theClass;                                                                \
        using BaseClass = baseClass;                                                               \
        static const MessageEntry<ThisClass> entries[] = {

#define ON_CONTROL_RANGE(code, first, last, handler) {code, first, last, &ThisClass::handler},
#define ON_CONTROL(code, id, handler) {code, id, id, &ThisClass::handler},
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_CONTROL(CBN_SELCHANGE, id, handler)
#define ON_EN_CHANGE(id, handler) ON_CONTROL(EN_CHANGE, id, handler)
#define ON_EN_KILLFOCUS(id, handler) ON_CONTROL(EN_KILLFOCUS, id, handler)
#define ON_NOTIFY_TCN_SELCHANGE(id, handler) ON_CONTROL(TCN_SELCHANGE, id, handler)
#define ON_NOTIFY_IPN_FIELDCHANGED(id, handler) ON_CONTROL(IPN_FIELDCHANGED, id, handler)

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, -1, nullptr }                                                                          \
    }                                                                                              \
    ;                                                                                              \
    for (const auto& e : entries) {                                                                \
        if (e.handler && e.code == code && id >= e.firstId && id <= e.lastId) {                    \
            (this->*e.handler)();                                                                  \
            return true;                                                                           \
        }                                                                                          \
    }                                                                                              \
    return BaseClass::OnNotify(id, code);                                                          \
    }
