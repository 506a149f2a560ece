// Draws the site's icons, each that the manifest names at its size: the handheld of the banner's
// box, a wide body with the stick on the left, the screen between and the buttons on the right.
// An icon for any purpose is the handheld alone, on nothing; a maskable one (which a system cuts
// to its own shape, and which iOS takes as its Home Screen icon) is the handheld on a full square,
// within the middle circle that every cut keeps. Each pixel is the cover of 4x4 samples, and the
// PNG is written here, so that the same manifest gives the same bytes.
// Usage: node icons.mjs MANIFEST FOLDER
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { deflateSync } from 'node:zlib';

const [manifest, folder] = process.argv.slice(2);
const GROUND = [0x1f, 0x4e, 0x79], BODY = [0xd9, 0xd9, 0xd2], EDGE = [0x3a, 0x3a, 0x38];
const SCREEN = [0xa8, 0xc6, 0x4e], DARK = [0x2b, 0x2b, 0x2b];

// The shapes, in a square of side 1, each a test of a point and its colour, drawn in this order.
const rounded = (x, y, w, h, r) => (px, py) => {
    const dx = Math.max(x + r - px, 0, px - (x + w - r)), dy = Math.max(y + r - py, 0, py - (y + h - r));
    return px >= x && px <= x + w && py >= y && py <= y + h && dx * dx + dy * dy <= r * r;
};
const circle = (cx, cy, r) => (px, py) => (px - cx) ** 2 + (py - cy) ** 2 <= r * r;
const HANDHELD = [
    [rounded(0.02, 0.2, 0.96, 0.6, 0.16), EDGE],
    [rounded(0.04, 0.22, 0.92, 0.56, 0.14), BODY],
    [rounded(0.28, 0.32, 0.44, 0.36, 0.04), EDGE],
    [rounded(0.315, 0.355, 0.37, 0.29, 0.02), SCREEN],
    [circle(0.17, 0.5, 0.075), DARK],
    [circle(0.8, 0.44, 0.04), DARK],
    [circle(0.88, 0.54, 0.04), DARK],
];

function draw(size, maskable) {
    const pixels = Buffer.alloc(size * size * 4);
    // A maskable icon keeps its drawing inside the circle of 80% of its side.
    const scale = maskable ? 0.78 : 1, offset = (1 - scale) / 2;
    const N = 4;
    for (let y = 0; y < size; y++) {
        for (let x = 0; x < size; x++) {
            const sum = [0, 0, 0, 0];
            for (let sy = 0; sy < N; sy++) {
                for (let sx = 0; sx < N; sx++) {
                    const px = ((x + (sx + 0.5) / N) / size - offset) / scale;
                    const py = ((y + (sy + 0.5) / N) / size - offset) / scale;
                    let colour = maskable ? GROUND : null;
                    for (const [inside, c] of HANDHELD) if (inside(px, py)) colour = c;
                    if (!colour) continue;
                    for (let i = 0; i < 3; i++) sum[i] += colour[i];
                    sum[3] += 255;
                }
            }
            const at = (y * size + x) * 4, covered = sum[3] / 255;
            for (let i = 0; i < 3; i++) pixels[at + i] = covered ? Math.round(sum[i] / covered) : 0;
            pixels[at + 3] = Math.round(sum[3] / (N * N));
        }
    }
    return png(size, pixels);
}

const CRC = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});
const crc32 = (data) => (data.reduce((c, byte) => CRC[(c ^ byte) & 0xff] ^ (c >>> 8), 0xffffffff) ^ 0xffffffff) >>> 0;
function chunk(type, data) {
    const out = Buffer.alloc(12 + data.length);
    out.writeUInt32BE(data.length, 0);
    out.write(type, 4, 'latin1');
    data.copy(out, 8);
    out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
    return out;
}
// 8-bit RGBA, each row unfiltered.
function png(size, pixels) {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(size, 0);
    header.writeUInt32BE(size, 4);
    header.set([8, 6, 0, 0, 0], 8);
    const rows = Buffer.alloc(size * (size * 4 + 1));
    for (let y = 0; y < size; y++) pixels.copy(rows, y * (size * 4 + 1) + 1, y * size * 4, (y + 1) * size * 4);
    return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
        chunk('IDAT', deflateSync(rows, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

for (const icon of JSON.parse(readFileSync(manifest, 'utf8')).icons) {
    const [width, height] = icon.sizes.split('x').map(Number);
    if (width !== height || icon.type !== 'image/png') throw new Error(`${icon.src}: not a square PNG`);
    writeFileSync(join(folder, icon.src), draw(width, icon.purpose === 'maskable'));
}
