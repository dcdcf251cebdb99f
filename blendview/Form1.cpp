// blendview: two pictures and their 50 % blend, made with raster operations only.
#include <frame/form.h>

#include "Module1.h"

namespace {

const frame::CommandButton Command1{"Command1"};
const frame::CommandButton Command2{"Command2"};
const frame::PictureBox Picture1{"Picture1"};
const frame::PictureBox Picture2{"Picture2"};
const frame::PictureBox Picture3{"Picture3"};

// "初期化": split both pictures into halved channel planes.
void Command1_Click() {
    const HDC dc1 = Picture1.hDC();
    const HDC dc2 = Picture2.hDC();
    const HDC dc3 = Picture3.hDC();
    PreparePlanes(dc1, dc2, dc3, 200, 200);
    Command1.setEnabled(false);
    Command2.setEnabled(true);
}

// "実行": add the planes and show the blend.
void Command2_Click() {
    const HDC dc1 = Picture1.hDC();
    const HDC dc2 = Picture2.hDC();
    const HDC dc3 = Picture3.hDC();
    DrawBlend(dc1, dc2, dc3, 200, 200);
    Picture3.refresh();
    Command2.setEnabled(false);
}

void Form_Unload() { ReleasePlanes(); }

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Command1_Click", Command1_Click},
    {"Command2_Click", Command2_Click},
    {"Form_Unload", Form_Unload},
};
