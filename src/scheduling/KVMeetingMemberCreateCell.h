#pragma once

#include <QPointer>
#include <QWidget>

#include "uikit/KVTextField.h"

// The search entry after the chips of an editable member field.
class KVMeetingMemberCreateCell final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{60, 22};

    explicit KVMeetingMemberCreateCell(QWidget *parent = nullptr);

    [[nodiscard]] KVTextField *inputTextField() const { return m_input; }
    [[nodiscard]] QSize sizeHint() const override { return kSize; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<KVTextField> m_input;
};
