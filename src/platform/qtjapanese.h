#pragma once

#include <QTranslator>

// Qt's own Japanese translation (qtbase_ja), and the few words of Qt's file and folder
// dialogs it lacks ("Folder" in the type column): the program speaks Japanese whatever
// the desktop's language, in its own boxes and in Qt's.
class QtJapanese : public QTranslator {
public:
    // Loads qtbase_ja from Qt's translations folder; false when it is not installed, and
    // then only the words below are Japanese.
    bool loadQtBase();
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;

private:
    QTranslator m_qtBase;
};
