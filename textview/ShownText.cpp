#include "ShownText.h"

#include "FileText.h"

namespace {

const std::shared_ptr<const FileText> &emptyText()
{
    static const auto text = std::make_shared<const FileText>();
    return text;
}

} // namespace

ShownText::ShownText()
    : m_text(emptyText())
{
}

void ShownText::set(std::shared_ptr<const FileText> text, const std::shared_ptr<const TextMetrics> &metrics)
{
    m_text = text ? std::move(text) : emptyText();
    setMetrics(metrics);
}

void ShownText::setMetrics(const std::shared_ptr<const TextMetrics> &metrics)
{
    m_ownCharacters.reset();
    if (m_text->index().characters().sharedMetrics() == metrics)
        return;
    // Indexed again with the view's metrics, in the text's encoding.
    TextIndex index(metrics, m_text->encoding());
    index.extendWithin(m_text->data(), m_text->size(), m_text->size());
    m_ownCharacters = std::make_unique<CharacterIndex>(index.characters());
}

const CharacterIndex &ShownText::characters() const
{
    return m_ownCharacters ? *m_ownCharacters : m_text->index().characters();
}
