#pragma once

#include "TextBoundaries.h"

// What TextBoundaries must find, from the set of every item boundary of the
// whole text (QTextBoundaryFinder from start to end; every LF for lines),
// by lookups in that set: no walk, so it shares nothing with the code it
// checks but its definitions.
TextBoundaries::Item referenceItem(const QString &text, int offset, QAccessible::TextBoundaryType type, TextBoundaries::Relation relation);

// Every boundary kind a screen reader can ask for, NoBoundary included.
inline constexpr QAccessible::TextBoundaryType AllBoundaryTypes[] = {
    QAccessible::CharBoundary, QAccessible::WordBoundary,      QAccessible::SentenceBoundary,
    QAccessible::LineBoundary, QAccessible::ParagraphBoundary, QAccessible::NoBoundary,
};
inline constexpr TextBoundaries::Relation AllRelations[] = {
    TextBoundaries::Relation::Before, TextBoundaries::Relation::At, TextBoundaries::Relation::After};
