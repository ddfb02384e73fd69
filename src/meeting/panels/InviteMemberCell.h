#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class VeskButton;

// A user on the invitation panel's list: name, "( ID:id )" and a remove button.
class InviteMemberCell final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 40;

    explicit InviteMemberCell(const VeskUserModel &model, QWidget *parent = nullptr);

    [[nodiscard]] const VeskUserModel &model() const { return m_model; }
    // The remove button.
    void removeMember();

    std::function<void(const VeskUserModel &user)> removeBlock;
    QPointer<QLabel> nameLabel;
    QPointer<QLabel> idLabel;
    QPointer<VeskButton> removeButton;

private:
    VeskUserModel m_model;
};
