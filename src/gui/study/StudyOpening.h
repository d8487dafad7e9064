#pragma once
// Opening a study as the user asked for it: a folder, several data files, a
// MagIC file or a study file. The choices kept in the study's file are
// restored; a file another program holds opens read-only; a study file that
// cannot be used is shown with its reason and line and never overwritten.

#include <QStringList>
#include <functional>
#include <memory>

#include "criteria/CriteriaSet.h"
#include "study/StudyOpen.h"

class QWidget;

namespace korvanes::gui {

class StudySession;

// Runs `work` on another thread while a progress dialog (after a moment)
// offers to cancel it; `total` is what progress.done counts up to. False
// when the user cancelled.
bool RunWithProgress(QWidget* parent, const QString& label, std::size_t total,
                     const std::function<void(StudyProgress&)>& work);

// Whether the file at `path` is a MagIC table (by its first bytes).
bool IsMagicFile(const QString& path);

// Opens the study of `paths`; null when nothing was opened (the user has
// been told why, or cancelled). `samples` and `sites` are MagIC tables for a
// MagIC measurements file (may be empty).
std::unique_ptr<StudySession> OpenStudy(QWidget* parent, const QStringList& paths, const CCriteriaSet& criteria,
                                        const QString& samples = {}, const QString& sites = {});

}  // namespace korvanes::gui
