#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QVBoxLayout>

// A control under its caption, the caption naming it for screen readers and Alt keys.
inline QVBoxLayout* captioned(const QString& caption, QWidget* control, int stretch = 0)
{
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    auto* box = new QVBoxLayout;
    box->setSpacing(2);
    box->addWidget(label);
    box->addWidget(control, stretch);
    return box;
}

// Controls in rows, each after its caption, the captions naming them.
inline QGridLayout* captionedRows(const QStringList& captions, const QList<QWidget*>& controls)
{
    auto* rows = new QGridLayout;
    for (qsizetype i = 0; i < captions.size() && i < controls.size(); ++i) {
        auto* label = new QLabel(captions[i]);
        label->setBuddy(controls[i]);
        rows->addWidget(label, static_cast<int>(i), 0);
        rows->addWidget(controls[i], static_cast<int>(i), 1);
    }
    rows->setColumnStretch(1, 1);
    return rows;
}
