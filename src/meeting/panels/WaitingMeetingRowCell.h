#pragma once

#include "connection/IMSystemSubMessage.h"

#include <QWidget>

#include <functional>

class KVElidedLabel;
class VeskButton;

// One person in the waiting room, seen by the host: the name, admit and remove.
class WaitingMeetingRowCell final : public QWidget {
    Q_OBJECT
public:
    static inline const QString kIdentifier = QStringLiteral("WaitingMeetingRowCell");

    explicit WaitingMeetingRowCell(QWidget *parent = nullptr);

    void setModel(const IMSystemSubMessage &model);
    [[nodiscard]] const IMSystemSubMessage &model() const { return m_model; }

    void agreeEnterMeetingAction();
    void moveOutAction();

    std::function<void(const IMSystemSubMessage &entry)> agreeEntrMeetingBlock;
    std::function<void(const IMSystemSubMessage &entry)> moveOutBlock;

    [[nodiscard]] KVElidedLabel *nameLabel() const { return m_nameLabel; }
    [[nodiscard]] VeskButton *agreeButton() const { return m_agreeButton; }
    [[nodiscard]] VeskButton *moveOutButton() const { return m_moveOutButton; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    IMSystemSubMessage m_model;
    KVElidedLabel *m_nameLabel;
    VeskButton *m_agreeButton;
    VeskButton *m_moveOutButton;
};
