// Why the image library could not make or decode an image. Images keep the code of
// their last failure; tools print its text, the plug-in shows none.
#pragma once

enum class ImageError : unsigned char {
    None, // also what a failed icon decode leaves: it has no reason of its own
    CannotAllocate,
    TooLarge,
    GetDIBitsFailed,
    ResourceNotLoaded,
    UnknownFormat,
    NotBmp,
    BmpInfo,
    BmpCannotAllocate,
    BmpCompressionNotSupported,
    BmpUnknownCompression,
    BmpBufferNotAllocated,
    BmpOffsetOutOfRange,
    PngStructureNotCreated,
    PngInfoNotCreated,
    NotPng,
    PngReadError,
    PngRowLayout,
    PngOutOfMemory,
    PngRejected, // libpng's own complaint about the data
    Count
};

// The text of a code; an empty string for None and for values outside the list.
const char* ImageErrorText(ImageError error);
