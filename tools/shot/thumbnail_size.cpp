#include "tools/shot/thumbnail_size.h"

#include <algorithm>

#include "render/viewer.h"

InputLimit thumbnail_input(uint32_t top) {
    const uint64_t characters =
        std::min<uint64_t>((uint64_t(top) + kThumbnailReadRows) * kThumbnailRowCharacters, UINT32_MAX);
    InputLimit limit;
    limit.characters = static_cast<uint32_t>(characters);
    limit.only_files = true;
    limit.bytes = std::min<uint64_t>(characters * kThumbnailBytesPerCharacter, kMaxFileSize);
    return limit;
}

uint32_t thumbnail_rows(uint32_t columns, uint32_t rows) {
    const uint64_t square_rows = uint64_t(columns) * kCellWidth / kCellHeight;
    return static_cast<uint32_t>(std::min<uint64_t>(rows, std::max<uint64_t>(square_rows, 1)));
}

PixelSize thumbnail_size(PixelSize image, uint32_t longest) {
    const uint64_t longer = std::max(image.width, image.height);
    if (longer <= longest || longest == 0) return image;
    const auto scale = [&](uint32_t side) {
        return static_cast<uint32_t>(std::max<uint64_t>((uint64_t(side) * longest + longer / 2) / longer, 1));
    };
    return PixelSize{scale(image.width), scale(image.height)};
}

void wrap_for_thumbnail(Viewer& viewer) {
    // The standard reading's rows are its screen's: never wrapped for it.
    if (viewer.document->reading == kStandardReading) return;
    if (!viewer.document->wrap_enabled && viewer.document->max_line_width > kWrapColumn) viewer.set_wrap(1);
}

const char* nothing_to_draw(const TextExtent& extent) {
    if (extent.rows == 0) return "nothing to draw: the text is empty";
    if (extent.columns == 0) return "nothing to draw: the lines are empty";
    return nullptr;
}

ThumbnailCrop thumbnail_crop(const Viewer& viewer, const TextExtent& extent, uint32_t top) {
    ThumbnailCrop crop;
    crop.columns = viewer.document->reading == kStandardReading ? extent.columns
                                                                 : std::min(extent.columns, kWrapColumn + 1);
    crop.rows = thumbnail_rows(crop.columns, extent.rows);
    const uint32_t last_top = viewer.doc_rows >= crop.rows ? viewer.doc_rows - crop.rows + 1 : 0;
    crop.top = std::min(top, last_top);
    return crop;
}
