// Split-and-pick against the reference split: Piece, Occurrences, Between and SplitText agree with
// it and with each other, pieces put back together with the marker give the text, and no piece
// holds the marker.
//
// Input: a header byte (marker length in its low nibble, end-marker length in its high one), a
// second byte choosing where in the text the marker is taken from, then UTF-16LE code units: the
// end marker first, then the text. Taking the marker out of the text makes hits the rule rather
// than luck; bit 7 of the second byte takes it from the input instead, so absent markers occur too.

#include "fuzzsupport.h"

#include "search/splitpick.h"

using namespace thornvale;
using namespace thornvale::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t markerLength = data[0] & 0x0F;
    const std::size_t endLength = data[0] >> 4;
    const bool markerFromInput = (data[1] & 0x80) != 0;
    const std::size_t markerAt = data[1] & 0x7F;
    std::u16string units = Utf16Units(data + 2, size - 2);

    const std::u16string_view all(units);
    const std::u16string_view end = all.substr(0, endLength);
    std::u16string_view rest = all.substr(end.size());
    std::u16string_view marker;
    if (markerFromInput) {
        marker = rest.substr(0, markerLength);
        rest.remove_prefix(marker.size());
    } else if (!rest.empty()) {
        marker = rest.substr(markerAt % rest.size(), markerLength);
    }
    const std::u16string_view text = rest;

    const auto pieces = ReferencePieces(text, marker);
    const SplitText split(text, marker);

    check(Occurrences(text, marker) == long(pieces.size()) - 1, "Occurrences is the pieces minus one");
    check(split.pieceCount() == pieces.size(), "SplitText has the reference's pieces");

    std::u16string rejoined;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const auto piece = Piece(text, marker, k);
        check(piece && *piece == pieces[k], "Piece k is the reference's piece k");
        const auto fromSplit = split.piece(k);
        check(fromSplit && *fromSplit == pieces[k], "SplitText piece k is Piece k");
        check(piece->data() >= text.data() && piece->data() + piece->size() <= text.data() + text.size(),
            "a piece lies inside the text");
        check(marker.empty() || !Contains(pieces[k], marker), "no piece holds the marker");
        if (k > 0)
            rejoined += marker;
        rejoined += pieces[k];
    }
    check(rejoined == text, "the pieces joined with the marker give the text");
    check(!Piece(text, marker, pieces.size()) && !split.piece(pieces.size()), "no piece past the last");

    // Between: piece 1 at the start marker, then piece 0 of that at the end marker.
    std::optional<std::u16string_view> between;
    if (const auto piece1 = ReferencePiece(text, marker, 1))
        between = ReferencePiece(*piece1, end, 0);
    const auto got = Between(text, marker, end);
    check(got.has_value() == between.has_value(), "Between is present exactly when the reference is");
    check(!got || *got == *between, "Between gives the reference's text");
    return 0;
}
