#pragma once

#include <QToolButton>

// An on/off tool button. A screen reader meets it as a check box named by its caption,
// whose toggle is carried out once the reader's request has been answered: what the
// switch then asks in a dialog does not keep the reader waiting. Its handling stays
// that of a click.
class SwitchButton : public QToolButton {
    Q_OBJECT
public:
    explicit SwitchButton(QWidget* parent = nullptr);

    // The picture shown while the switch is on, and the one while it is off.
    void setPictures(const QString& on, const QString& off);
};
