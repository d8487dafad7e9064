#pragma once
// The study table beside the document area: the specimens of the open study,
// sortable, filtered by a text and by class, with the columns the user chose
// (remembered), and the rejected mark and the note of the specimen shown.
// Choosing a row shows that specimen in the study's window.

#include <QDockWidget>

#include "criteria/SettingsStore.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QStackedWidget;
class QTableView;
class QTreeView;

namespace korvanes::gui {

class StudyFilter;
class StudySession;

class StudyDock final : public QDockWidget {
    Q_OBJECT
public:
    StudyDock(SettingsStore& settings, QWidget* parent = nullptr);

    // Shows `session` (null: none).
    void SetSession(StudySession* session);

    // The next or previous row in the table's order (sorted, filtered) after
    // the specimen shown; false at either end.
    bool Step(int direction);

    QTableView* Table() const { return m_table; }
    // The sites as a tree (site → sample → specimen), shown instead of the
    // table while "Group by site" is ticked.
    QTreeView* SiteTree() const { return m_tree; }
    QCheckBox* GroupBySite() const { return m_group; }
    StudyFilter* Filter() const { return m_filter; }
    QLineEdit* FilterEdit() const { return m_text; }
    QComboBox* ClassChoice() const { return m_class; }
    QCheckBox* Rejected() const { return m_rejected; }
    QLineEdit* Note() const { return m_note; }

    // The specimens in the table's order (the study's indices).
    std::vector<std::size_t> RowOrder() const;

private:
    void OnRowChosen();
    void OnTreeRowChosen();
    void FollowInTree(int index);
    void CommitNote();
    void OnCurrentChanged(int index);
    void ShowMarks();
    void ChooseColumns(const QPoint& at);
    void RestoreColumns();
    void StoreColumns();

    SettingsStore& m_settings;
    StudySession* m_session = nullptr;
    StudyFilter* m_filter;
    QTableView* m_table;
    QTreeView* m_tree;
    QCheckBox* m_group;
    QStackedWidget* m_views;
    QLineEdit* m_text;
    QComboBox* m_class;
    QCheckBox* m_rejected;
    QLineEdit* m_note;
    bool m_following = false;
    int m_noteIndex = -1;  // the specimen the note field is for
};

}  // namespace korvanes::gui
