// The sentence list pane (" 复读区断点列表"): a view of the sentence model with the start and
// end times, the current sentence in bold, a double-click choosing a sentence, and the
// context menu's merge, modify and hard-sentence commands, which go to the model. GUI thread.
#pragma once

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace kestrova {

class CAppSetting;
class CSentenceModel;

class CSellistView : public QWidget {
    Q_OBJECT
public:
    CSellistView(CAppSetting& settings, CSentenceModel& model, QWidget* parent = nullptr);

    CSentenceModel& Model() { return m_model; }
    int SelectedRow() const;
    void SetSelectedRow(int row);
    void MergeUp();
    void MergeDown();
    // Opens the modify dialog for the selected row.
    void Modify();
    void PlaySelected();

Q_SIGNALS:
    // The selected sentence goes to the hard-sentence library.
    void addToHardSentences(std::uint32_t start, std::uint32_t end);

protected:
    int ChromeWidth() const;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Rebuild();
    void MarkCurrent(int row);
    void ShowChosen(int row);

    CAppSetting& m_settings;
    CSentenceModel& m_model;
    int m_columnWidth = 0; // the narrowest column that shows its header and a bold time
    QLabel* m_caption;
    QTreeWidget* m_list;
};

} // namespace kestrova
