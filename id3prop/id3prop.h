/* The tag-attribute library libid3prop.so: writes one named attribute into a WMA (ASF)
 * file. Paths, names and texts are UTF-8. Each call returns 0 on success, 1 when the text
 * was cut to fit its field, or a negative result code; a file that is not a valid ASF file
 * or can't be written is left unchanged.
 *
 * "Title", "Author" and "Description" are the file's content description (title, artist,
 * comment); every other name is an extended attribute stored under exactly that name. */
#pragma once

#include <stdint.h>

#if defined(ID3PROP_BUILDING)
#define ID3PROP_EXPORT __attribute__((visibility("default")))
#else
#define ID3PROP_EXPORT
#endif

/* The file name to load the library by. */
#define ID3PROP_LIBRARY_NAME "libid3prop.so"

#define ID3PROP_S_OK ((int32_t)0)
/* Written, but cut at a character boundary to what the field holds: "Title", "Author" and
 * "Description" hold at most 32,766 UTF-16 code units. Other fields are never touched. */
#define ID3PROP_S_TRUNCATED ((int32_t)1)
/* The file could not be written (or copied for writing). */
#define ID3PROP_E_FAIL ((int32_t)0x80004005)
/* A null path, name or value. */
#define ID3PROP_E_POINTER ((int32_t)0x80004003)
/* The file is missing, not a regular file or not a valid ASF file; or the name is empty or
 * longer than 32,766 UTF-16 code units, or the name or text is not well-formed UTF-8; or a
 * picture has no MIME type or no bytes, or is meant for a content description field. */
#define ID3PROP_E_INVALIDARG ((int32_t)0x80070057)
#define ID3PROP_E_OUTOFMEMORY ((int32_t)0x8007000E)

#ifdef __cplusplus
extern "C" {
#endif

/* Stores `value` as a Unicode string attribute. */
ID3PROP_EXPORT int32_t SetID3PropertyString(const char* file, const char* name, const char* value);
/* Stores `value` as a DWORD attribute (in a content description field, as decimal text). */
ID3PROP_EXPORT int32_t SetID3PropertyDWORD(const char* file, const char* name, uint32_t value);
/* Stores a picture attribute (as "WM/Picture" holds one): `size` bytes of image data of the
 * given MIME type, its ID3v2 picture type (3 for a front cover) and a description, which may
 * be empty. Any size fits: values over 64 KiB go into the metadata library object. */
ID3PROP_EXPORT int32_t SetID3PropertyPicture(const char* file, const char* name,
                                             const char* mimeType, uint32_t pictureType,
                                             const char* description, const void* data,
                                             uint32_t size);

typedef int32_t (*SetID3PropertyStringFn)(const char* file, const char* name, const char* value);
typedef int32_t (*SetID3PropertyDWORDFn)(const char* file, const char* name, uint32_t value);
typedef int32_t (*SetID3PropertyPictureFn)(const char* file, const char* name, const char* mimeType,
                                           uint32_t pictureType, const char* description,
                                           const void* data, uint32_t size);

#ifdef __cplusplus
}
#endif
