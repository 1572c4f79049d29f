// The study-notes page: a formatting toolbar over a rich-text editor (Verdana 10) whose
// content is the open file's Note.rtf in Temp. Changes are written to Temp shortly after
// they are made, so that a crash keeps them, and mark the user data as changed. GUI thread.
#pragma once

#include "common/WorkPiece.h"

#include <QWidget>

class QAction;
class QTextEdit;
class QTimer;
class QToolBar;

namespace kestrova {

class CNoteFrm : public QWidget, public IWorkPiece {
    Q_OBJECT
public:
    explicit CNoteFrm(QWidget* parent = nullptr);
    static QString FilePath();

    void LoadNotes();
    // Writes Note.rtf when the text changed since the last load or save.
    bool SaveNotes(); // false when Note.rtf could not be written (told once)
    bool WritePiece() override { return SaveNotes(); }
    void ReloadPiece() override { LoadNotes(); }
    QTextEdit* Editor() const { return m_editor; }

    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void SetAlignment(Qt::Alignment alignment);
    void ToggleBullets();
    void ChooseColour();
    // "格式字体": the chosen face, size and effects go to the selection.
    void ChooseFont();
    void ApplyFont(const QFont& font);

private:
    QAction* Command(const QString& name) const;
    void UpdateChecks();
    QToolBar* m_toolBar;
    QTextEdit* m_editor;
    QTimer* m_autosave;
};

} // namespace kestrova
