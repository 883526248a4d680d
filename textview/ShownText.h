#pragma once

#include "CharacterIndex.h"
#include "LineLayout.h"
#include "TextNavigator.h"

#include <memory>

class FileText;

// The text a view shows, with the index it is laid out by: the text's own
// when it was indexed with the view's metrics, as the dump run does it,
// else one built here by a pass over the text.
class ShownText
{
public:
    ShownText();

    // nullptr: the empty text.
    void set(std::shared_ptr<const FileText> text, const std::shared_ptr<const TextMetrics> &metrics);
    // Indexes the same text again for other metrics.
    void setMetrics(const std::shared_ptr<const TextMetrics> &metrics);

    const std::shared_ptr<const FileText> &text() const { return m_text; }
    TextNavigator navigator() const { return TextNavigator(*m_text); }
    LineLayout layout() const { return LineLayout(*m_text, characters()); }
    const CharacterIndex &characters() const;

private:
    std::shared_ptr<const FileText> m_text;
    std::unique_ptr<CharacterIndex> m_ownCharacters;
};
