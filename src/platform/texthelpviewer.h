#pragma once

#include "helpviewer.h"

#include <QPointer>
#include <QString>

#include <functional>

class QTextBrowser;
class QWidget;

// Shows the help document, an HTML file, in a window of the program. The copy in the
// data folder is used when there is one, else the copy built into the program.
class TextHelpViewer : public HelpViewer {
public:
    TextHelpViewer(QString dataFolderFile, QString builtInFile);
    // Where the copy in the data folder is, when known only later: asked each time the
    // help opens.
    void setDataFolderFile(std::function<QString()> where) { m_whereInDataFolder = std::move(where); }
    ~TextHelpViewer() override;

    void open(const QString& section = {}) override;
    void closeAll() override;

    QWidget* window() const;
    QString shownSource() const;

private:
    QString m_dataFolderFile;
    std::function<QString()> m_whereInDataFolder;
    QString m_builtInFile;
    QPointer<QTextBrowser> m_browser;
};
