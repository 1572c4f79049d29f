// A formatting toolbar over a rich-text editor (Verdana 10) whose content is an RTF file of
// the open lesson's work in Temp: the study-notes page (Note.rtf, written shortly after each
// change, so that a crash keeps it) and the free-dictation editor (Dictation.rtf, written
// when free dictation saves it). A save marks the user data as changed. GUI thread.
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
    // `saveDelayMs`: written that long after each change; 0 only when asked.
    explicit CNoteFrm(QWidget* parent = nullptr,
                      const QString& fileName = QStringLiteral("Note.rtf"), int saveDelayMs = 2000);
    static QString FilePath(); // the notes' file
    QString Path() const;      // this editor's file
    // Writes the text as RTF to `path`; the lesson's own copy still counts as unsaved.
    bool SaveAs(const QString& path);

    void LoadNotes();
    // Writes Note.rtf when the text changed since the last load or save.
    bool SaveNotes(); // false when Note.rtf could not be written (told once)
    bool WritePiece() override { return SaveNotes(); }
    void ReloadPiece() override { LoadNotes(); }
    QTextEdit* Editor() const { return m_editor; }
    QToolBar* ToolBar() const { return m_toolBar; }

    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void SetAlignment(Qt::Alignment alignment);
    void ToggleBullets();
    void ChooseColour();
    // "格式字体": the effects ticked in the dialog are toggled over the selection, then the
    // chosen face and size go to it.
    void ChooseFont();
    void ApplyFont(const QFont& font);

private:
    QAction* Command(const QString& name) const;
    void UpdateChecks();
    QToolBar* m_toolBar;
    QTextEdit* m_editor;
    QTimer* m_autosave;
    QString m_fileName;
};

} // namespace kestrova
