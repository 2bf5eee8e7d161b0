#pragma once

#include <QFrame>
#include <QListWidget>

#include <functional>

class AppState;
class Navigator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// A list box of the search screens whose item is chosen with a click, or by moving to
// it with the keys; chosen() is sent each time, even for the item already current, so
// that a search can be repeated after another one.
class ChoiceList : public QListWidget {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

    // The type-ahead's own test of the items for the letters typed: the list moves to the
    // next item passing it; none (or an empty test) leaves the type-ahead to Qt's own.
    std::function<std::function<bool(const QString& item)>(const QString& typed)> typeAhead;
    void keyboardSearch(const QString& search) override;

signals:
    void chosen(const QString& item);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_typed; // the letters of the type-ahead so far
    qint64 m_typedAt = 0;
};

// A short list box as tall as its items, none hidden behind a scroll bar.
void fitRows(QListWidget* list);

// The title search (fraKensaku): titles found by one field at a time, by a choice from
// a list (exact) or by a key typed and confirmed with Enter (contained); a double-click
// on a found name opens that title on the main screen.
class TitleSearch : public QFrame {
    Q_OBJECT
public:
    TitleSearch(AppState& state, Navigator& navigator, QWidget* parent = nullptr);

    // cmdKensaku, once the other screens are hidden: fills the choices from the masters,
    // lists every title and shows the screen.
    void ShowTitleSearch();

    QGroupBox* fraKenKoumoku;
    QLineEdit* txtNamae;
    ChoiceList* lstSakusya;
    ChoiceList* lstKeisai;
    ChoiceList* lstHyouka;
    QComboBox* cboMedia2;
    QLineEdit* txtHizuk;
    QLineEdit* txtMemok;
    // あいまい検索: the key boxes fold kana, width and case and find by readings.
    QCheckBox* chkFuzzy;
    QGroupBox* fraKensu;
    ChoiceList* lstDaimei;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFound(const QStringList& names);
    // Empties every criterion but the one searched by.
    void keepOnly(const QWidget* criterion);

    AppState& m_state;
    Navigator& m_navigator;
};
