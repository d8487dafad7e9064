#pragma once
// A quiet notice at the top of a document window: what the reader (or the
// analysis) wants the user to know about the data file, in one line, with
// the full list on request. It never blocks, and the user may close it.

#include <QFrame>
#include <QStringList>

#include "document/Document.h"

class QLabel;
class QPushButton;

namespace korvanes::gui {

class DocumentNotice final : public QFrame {
    Q_OBJECT
public:
    explicit DocumentNotice(QWidget* parent = nullptr);

    // Shows `summary` with `details` behind the "Details" button; an empty
    // summary hides the notice.
    void SetNotice(const QString& summary, const QStringList& details);

    QString Summary() const;
    const QStringList& Details() const { return m_details; }

private:
    void ShowDetails();

    QLabel* m_text;
    QPushButton* m_detailsButton;
    QStringList m_details;
};

// The notice for what the reader reported ("line 12: ..."), or an empty
// summary when it reported nothing.
QString ReadWarningsSummary(const std::vector<ReadWarning>& warnings);
QStringList ReadWarningLines(const std::vector<ReadWarning>& warnings);

}  // namespace korvanes::gui
