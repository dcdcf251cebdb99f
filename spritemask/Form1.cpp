// spritemask: a tiled background and a sprite laid over it with AND and OR.
#include <frame/declare.h>
#include <frame/form.h>

namespace {

const frame::Declare<BOOL(HDC, int, int, int, int, HDC, int, int, DWORD)> BitBlt{"gdi32.dll", "BitBlt"};

const frame::PictureBox Picture1{"Picture1"};  // the background tile
const frame::PictureBox Picture2{"Picture2"};  // fighter on black, mask white around black
const frame::PictureBox Picture3{"Picture3"};  // fighter on white, mask black around white
const frame::PictureBox Picture4{"Picture4"};  // the drawing surface, 48 x 48

void Form_Load() {
    Picture1.setPicture(frame::LoadPicture("haikei.bmp"));
    Picture2.setPicture(frame::LoadPicture("pic1.bmp"));
    Picture3.setPicture(frame::LoadPicture("pic2.bmp"));
}

// "背景作画": nine 16 x 16 tiles, column by column, top to bottom.
void Command1_Click() {
    for (int column = 0; column <= 2; ++column) {
        for (int row = 0; row <= 2; ++row) {
            BitBlt(Picture4.hDC(), column * 16, row * 16, 16, 16, Picture1.hDC(), 0, 0, SRCCOPY);
        }
    }
    Picture4.refresh();
}

// The 32 x 32 cell lands in the middle of the surface, 8 pixels from each edge.
void Compose(const frame::PictureBox& source, int cellX, DWORD rop) {
    BitBlt(Picture4.hDC(), 8, 8, 32, 32, source.hDC(), cellX, 0, rop);
    Picture4.refresh();
}

void Command2_Click() { Compose(Picture2, 32, SRCAND); }    // "マスクとＡＮＤ合成"
void Command3_Click() { Compose(Picture2, 0, SRCPAINT); }   // "戦闘機とＯＲ合成"
void Command4_Click() { Compose(Picture3, 32, SRCPAINT); }  // "マスクとＯＲ合成"
void Command5_Click() { Compose(Picture3, 0, SRCAND); }     // "戦闘機とＡＮＤ合成"

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},           {"Command1_Click", Command1_Click}, {"Command2_Click", Command2_Click},
    {"Command3_Click", Command3_Click}, {"Command4_Click", Command4_Click}, {"Command5_Click", Command5_Click},
};
