// LAYER: the layers of the current drawing.
//
//   Enter an option [?/Make/Set/New/ON/OFF/Freeze/Thaw]:
//     ?       Enter layer name(s) to list <*>:   one line per layer: name,
//             on/off, frozen/thawed, colour, line type; "*" marks the current
//     Make    Enter name for new layer (becomes the current layer):
//     Set     Enter layer name to make current:  (an existing, thawed layer)
//     New     Enter name list for new layer(s):  (names separated by commas)
//     ON, OFF, Freeze, Thaw
//             Enter name list of layer(s) to ...: names or wildcards,
//             separated by commas
//   asked again until Enter. The current layer cannot be frozen and a frozen
//   layer cannot be made current.
#pragma once

namespace fancad {

void registerLayerCommand();

}  // namespace fancad
