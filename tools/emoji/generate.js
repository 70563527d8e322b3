#!/usr/bin/env node
// Writes the emoji pictures the bubble pages show: one 32 px PNG per emoji, named by the
// upper-case hexadecimal code the pages ask for ("1F604.png"). Besides the Unicode code points,
// every old carrier private-use code (U+E001..U+E537) that the data set maps to an emoji gets the
// picture of that emoji under its own code ("E415.png"), since old phones stored those codes.
//
// Usage: node generate.js OUTPUT_FOLDER

'use strict';

const fs = require('fs');
const path = require('path');
const { PNG } = require('pngjs');

const emojiData = require('emoji-datasource-google/emoji.json');
const imageDir = path.join(path.dirname(require.resolve('emoji-datasource-google/emoji.json')),
                           'img', 'google', '64');

const SOURCE_SIZE = 64;
const TARGET_SIZE = 32;

// The code points the pages replace by pictures: symbols of the BMP and the supplementary-plane
// emoji block reached through the surrogates D83C and D83D.
function isReplacedCode(cp) {
    return (cp >= 0x2000 && cp < 0x3300) || (cp >= 0x1f000 && cp < 0x1f800);
}

// The single code point an entry stands for, ignoring the emoji presentation selector; null for
// sequences (flags, keycaps, families), which the pages never replace as a whole.
function singleCodePoint(unified) {
    const parts = unified.split('-').filter((p) => p.toUpperCase() !== 'FE0F');
    return parts.length === 1 ? parseInt(parts[0], 16) : null;
}

// Halves the picture by averaging 2 x 2 blocks with premultiplied alpha, so that transparent
// pixels do not darken the edges.
function halve(src) {
    const scale = src.width / TARGET_SIZE;
    const out = new PNG({ width: TARGET_SIZE, height: TARGET_SIZE });
    for (let y = 0; y < TARGET_SIZE; ++y) {
        for (let x = 0; x < TARGET_SIZE; ++x) {
            let r = 0, g = 0, b = 0, a = 0;
            for (let dy = 0; dy < scale; ++dy) {
                for (let dx = 0; dx < scale; ++dx) {
                    const i = ((y * scale + dy) * src.width + (x * scale + dx)) * 4;
                    const alpha = src.data[i + 3];
                    r += src.data[i] * alpha;
                    g += src.data[i + 1] * alpha;
                    b += src.data[i + 2] * alpha;
                    a += alpha;
                }
            }
            const o = (y * TARGET_SIZE + x) * 4;
            const n = scale * scale;
            out.data[o] = a ? Math.round(r / a) : 0;
            out.data[o + 1] = a ? Math.round(g / a) : 0;
            out.data[o + 2] = a ? Math.round(b / a) : 0;
            out.data[o + 3] = Math.round(a / n);
        }
    }
    return out;
}

function hex(cp) {
    return cp.toString(16).toUpperCase();
}

function main() {
    const outDir = process.argv[2];
    if (!outDir) {
        console.error('usage: node generate.js OUTPUT_FOLDER');
        process.exit(2);
    }
    fs.mkdirSync(outDir, { recursive: true });
    for (const name of fs.readdirSync(outDir)) {
        if (name.endsWith('.png'))
            fs.unlinkSync(path.join(outDir, name));
    }

    const targets = new Map(); // output name -> source image file
    for (const entry of emojiData) {
        if (!entry.has_img_google)
            continue;
        const cp = singleCodePoint(entry.unified);
        if (cp !== null && isReplacedCode(cp))
            targets.set(hex(cp), entry.image);
        if (entry.softbank)
            targets.set(entry.softbank.toUpperCase(), entry.image);
    }

    let bytes = 0;
    for (const [code, image] of [...targets].sort()) {
        const src = PNG.sync.read(fs.readFileSync(path.join(imageDir, image)));
        if (src.width !== SOURCE_SIZE || src.height !== SOURCE_SIZE)
            throw new Error(`${image}: unexpected size ${src.width}x${src.height}`);
        const png = PNG.sync.write(halve(src), { deflateLevel: 9 });
        fs.writeFileSync(path.join(outDir, `${code}.png`), png);
        bytes += png.length;
    }
    console.log(`${targets.size} pictures, ${Math.round(bytes / 1024)} KiB`);
}

main();
