#pragma once

// The hex listing of an editor, pointing at its form: the bytes of the field that has the
// focus (or had it last) are highlighted, hovering a byte names the field or fields it holds,
// and after a load the bytes the next Create would write differently are marked, each with
// why in its tooltip. Its sixteen lines stay plain text, so screen readers and tests read
// them as they are; the marks and highlight are drawn over them.

#include "layout/describe.h"

#include <QListWidget>

#include <map>
#include <optional>

class CE2promData;

namespace platform {

class FieldForm;

class HexListing : public QListWidget {
    Q_OBJECT
public:
    HexListing(const FieldForm& form, QWidget* parent = nullptr);

    // The sixteen lines of the image, without marks; or no lines at all.
    void showImage(const CE2promData& image);
    void clearImage();

    // Marks the bytes the next Create would write differently; each line's accessible
    // description names the marked bytes it holds.
    void setMarks(std::map<unsigned, layout::ByteChange> marks);
    const std::map<unsigned, layout::ByteChange>& marks() const { return m_marks; }

    // The bytes highlighted for the field last focused, first and last offset.
    std::optional<std::pair<unsigned, unsigned>> highlighted() const { return m_highlight; }

    // The byte drawn at a point of the viewport, and what its tooltip says.
    std::optional<unsigned> byteAt(const QPoint& point) const;
    QString byteTip(unsigned offset) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    void highlightField(std::size_t field);

    const FieldForm& m_form;
    std::optional<std::pair<unsigned, unsigned>> m_highlight;
    std::map<unsigned, layout::ByteChange> m_marks;
};

} // namespace platform
