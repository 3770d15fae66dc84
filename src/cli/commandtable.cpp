#include "cli/commands.h"

namespace velka::cli {

namespace {

const TCommand CommandTable[] = {
    {"info", "info LIB",
     "Prints the library's format (WIL, WIS, WZL or DATA), its number of images and of index\n"
     "entries, whether it can be edited, and for DATA whether it has an image password.",
     RunInfo},
    {"list", "list LIB [--range A:B] [--json]",
     "One line per image A..B (default: all): number, width, height, offset x, offset y, flag\n"
     "and kind (empty, png, bmp8, bmp16, bmp24 or bmp32), separated by tabs.\n"
     "  --range A:B  only the images A to B\n"
     "  --json       a JSON array of objects with the keys number, width, height, x, y, flag, kind",
     RunList},
    {"export", "export LIB DIR [--range A:B]",
     "Writes the images A..B (default: all) into DIR as numbered BMP or PNG files (00000.BMP, ...)\n"
     "with their placement files in DIR/Placements; empty images become 1 x 1 bitmaps.",
     RunExport},
    {"import",
     "import LIB DIR [--content all|pictures|offsets|empty] [--mode append|insert|overwrite]\n"
     "       [--start N] [--end N] [--offset X,Y] [--keep-1x1] [--interleave EVERY,COUNT]",
     "Imports the BMP and PNG pictures of DIR in the order of the numbers their names stand for.\n"
     "  --content all       pictures with offsets (default); pictures: pictures only;\n"
     "                      offsets: entries without picture carrying the placement values;\n"
     "                      empty: empty images END - START + 1 of them (DIR may be left out)\n"
     "  --mode append       after the last image (default); insert: from number START on,\n"
     "                      moving later images up; overwrite: replacing images from START on\n"
     "  --start N, --end N  start and end numbers (default 0 and the last image number)\n"
     "  --offset X,Y        one offset for every image instead of the placement files\n"
     "  --keep-1x1          store 1 x 1 pictures instead of making them empty images\n"
     "  --interleave E,C    append mode: after every E pictures add C empty images",
     RunImport},
    {"convert",
     "convert SRC DST [--yes]\n"
     "       convert --folder SRCDIR DSTDIR --type wil-data|wil-wzl|wzl-data|wis-data|wis-wzl [--yes]",
     "Converts the library SRC into the new library DST (.wzl or .data by its extension), or every\n"
     "library of the type's source kind in SRCDIR into DSTDIR.\n"
     "  --yes  replace existing targets (without it an existing target is an error)",
     RunConvert},
    {"create", "create FILE", "Creates a new empty .wzl or .data library.", RunCreate},
    {"delete", "delete LIB A B [--blank]",
     "Deletes the images A to B (later images move down), or with --blank turns them into empty\n"
     "images. The range is clamped to the library's images.",
     RunDelete},
    {"offset",
     "offset LIB N X Y\n"
     "       offset LIB --range A:B --set X,Y\n"
     "       offset LIB --range A:B --add DX,DY",
     "Sets the offset of image N, sets one offset on the images A to B, or adds a delta to the\n"
     "offsets of the images A to B. Offsets lie in -32768..32767; empty images have none and are\n"
     "skipped (an empty image N is an error).",
     RunOffset},
    {"password", "password LIB NEW",
     "Sets the image password of a DATA library: at most 16 bytes in GBK, GBK characters only;\n"
     "an empty NEW removes the protection. Give the current password with --password.",
     RunPassword},
    {"verify", "verify LIB",
     "Decodes every image; prints one line per damaged entry and a summary. Exit status 1 when\n"
     "any entry is damaged or a WZL index is missing or short.",
     RunVerify},
};

}  // namespace

std::span<const TCommand> Commands() { return CommandTable; }

}  // namespace velka::cli
