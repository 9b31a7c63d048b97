// The frames a full-screen device shows, fetched and prepared alike by
// every device: a stereo movie file's frame made into one image holding
// both eye images (laid out as the file layout g_nBunkatu says), and the
// pair's two frames at a position, adjusted as the view shows them.
#ifndef TWR_DEVICES_DEVICE_FRAMES_H
#define TWR_DEVICES_DEVICE_FRAMES_H

#include "devices/page_flip_geometry.h"
#include "shared/packed_dib.h"

struct MovieSource;
struct StereoPair;

struct DeviceFileFrame {
    const PackedDib *image;  // the movie's frame, or the converted image
    PackedDib *owned;        // the converted image (FreeDeviceFileFrame)
    int eyeW, eyeH;          // each eye image's size
    int secondX, secondY;    // where the second eye image starts (rows from the first in memory)
};
// False when the frame cannot be fetched or converted (nothing to free).
bool FetchDeviceFileFrame(MovieSource *movie, int frame, DeviceFileFrame &out);
// The same for a device that stretches each half itself (OpenGL): the
// over/under layouts keep the frame's height, and a row-interlaced frame
// is split into halves of the frame's height (layout 8 + parity).
bool FetchDeviceFileHalves(MovieSource *movie, int frame, DeviceFileFrame &out);
void FreeDeviceFileFrame(DeviceFileFrame &f);

struct DevicePairFrame {
    PackedDib *left, *right;  // the records' current frames, adjusted
    W3DPairRegion region;     // the common region and where each eye's part starts
};
// The pair at frame (each record's nStart added): fetched, adjusted when
// the alignment switch is on, cropped by the offsets and the applied
// trimming, soft border and colour matching when on. False when the frames
// cannot be fetched or differ in size (a smaller right frame would be read
// past its end; the command that opened the device has said why already).
// borderAtCrop false: the soft border lies at the frames' own edges (a
// still of the OpenGL window, which crops nothing) instead of the region's.
bool FetchDevicePairFrame(StereoPair *pair, int frame, DevicePairFrame &out, bool borderAtCrop = true);

#endif
