// The "Channels" restriction after the lookup pass: puts the unchosen colour channels back from the
// source, or turns the colour into the difference between source and result.
#ifndef ORV_RENDER_CHANNEL_PASS_H
#define ORV_RENDER_CHANNEL_PASS_H

#include <cstdint>

namespace orv {

class WorldImage;

// "Channels" choices, 0-based.
enum ChannelChoice : int32_t {
    kChannelsRgb = 0,
    kChannelsRed,
    kChannelsGreen,
    kChannelsBlue,
    kChannelsRedGreen,
    kChannelsRedBlue,
    kChannelsGreenBlue,
    kChannelsDifference,
    kChannelsAlpha
};

class ChannelPass {
public:
    // The render folds these choices into the lookup pass (LookupProcessor::FoldChannels); this pass
    // restricts an already written destination, with the same bytes as a result.
    ChannelPass(WorldImage &source, WorldImage &destination, int32_t channels);

    // Over every pixel of the destination, top row first:
    //   Red .. Green and Blue: the colour bytes not named by the choice are copied from the source;
    //   Difference: red, green and blue become |source - destination|;
    //   any other choice: nothing. Alpha is never touched.
    void Run();

private:
    WorldImage *source;
    WorldImage *destination;
    int32_t channels;
    int32_t width;
};

}  // namespace orv

#endif
