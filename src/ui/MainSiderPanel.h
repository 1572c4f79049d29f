// The side bar's main panel: the product picture, links to common commands, a word look-up
// box, and the automatic-repeat options (passes per sentence, pause between sentences).
// GUI thread.
#pragma once

#include "player/Commands.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kestrova {

class CAppSetting;

class CMainSiderPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kDictionarySite = "https://dict.kestrova.example";

    CMainSiderPanel(CAppSetting& settings, QWidget* parent = nullptr);
    // Shows the settings' count and pause choices (also whenever the repeat options change).
    void SyncFromSettings();
    static QUrl DictionaryUrl(const QString& word);

Q_SIGNALS:
    // A link (or the logo) stands for this command.
    void command(CommandId id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CAppSetting& m_settings;
    QComboBox* m_count;
    QComboBox* m_pause;
    QLineEdit* m_word;
    QLabel* m_logo;
};

} // namespace kestrova
