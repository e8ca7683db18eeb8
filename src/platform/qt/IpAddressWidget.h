// The IP address control: four fields of 0..255 with dots between them. Every change the
// user makes to a field is reported (IPN_FIELDCHANGED); setting the address from the
// program reports nothing.
#pragma once

#include "platform/Messages.h"

#include <QFrame>
#include <array>
#include <functional>

class QLineEdit;

class IpAddressWidget : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressWidget(QWidget* parent);
    // The packed address: the first field is the most significant byte.
    void SetAddress(DWORD address);
    // Fills address (a blank field reads as 0); returns how many fields are not blank.
    int GetAddress(DWORD* address) const;
    void ClearAddress();
    QLineEdit* Field(int i) const { return m_fields[static_cast<size_t>(i)]; }
    std::function<void(UINT)> notify;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnFieldEdited(int index);
    std::array<QLineEdit*, 4> m_fields{};
};
