#pragma once
// A document window: a notice line when the file needs one, and a splitter
// with the plot pane on the left and the result form on the right. It
// remembers the width of the plot pane and whether document windows open
// maximised or in normal size.

#include <QMdiSubWindow>
#include <memory>

#include "DocumentWindowSettings.h"
#include "OpenDocument.h"

class QSplitter;

namespace korvanes::gui {

class CKorvanesToolView;
class CResultForm;
class DocumentNotice;

class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(std::shared_ptr<OpenDocument> document, DocumentWindowSettings& settings);
    ~CChildFrame() override;

    const std::shared_ptr<OpenDocument>& Document() const { return m_document; }
    CKorvanesToolView* View() const { return m_view; }
    CResultForm* Form() const { return m_form; }
    DocumentNotice* Notice() const { return m_notice; }
    QSplitter* Splitter() const { return m_splitter; }

    // Titles the window with the file name, followed by ":n" when several
    // windows show one document (`number` 0: the only one).
    void SetWindowNumber(int number);

    // Shows the window the way new document windows open: maximised or in
    // normal size, as the last document window was left.
    void ShowAsRemembered();

    // Stops remembering sizes (while the program closes its windows).
    void StopRemembering() { m_remembering = false; }

    // Moves the focus between the plot pane and the form.
    void FocusOtherPane();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows what the reader said about the file and which steps the Arai
    // fit leaves out (that changes with the analysis).
    void RefreshNotice();
    void RememberPaneWidth();
    // Narrows the plot pane when the form would not fit beside it.
    void FitPanes();
    void RememberShowState();

    std::shared_ptr<OpenDocument> m_document;
    DocumentWindowSettings& m_settings;
    CKorvanesToolView* m_view;
    CResultForm* m_form;
    DocumentNotice* m_notice;
    QSplitter* m_splitter;
    bool m_panesSized = false;
    bool m_remembering = false;
    bool m_squeezed = false;
};

}  // namespace korvanes::gui
