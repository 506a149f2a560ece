// How the page and its worker read an image: its size and first block, as they are when it is read.
// A read costs a browser the same for any size up to a block, and the header is inside the first.

export const BLOCK = 512;
// How long the read of a file that the browser calls empty may take before it is a failed one.
const WHOLE_MS = 2000;

// Whether this browser should learn a file's size from a ranged fetch of it rather than from the
// File (asked on the page: a worker's navigator has no vendor). WebKit, Safari's engine and every
// iPhone's and iPad's browser, asks another process for a File's size, synchronously and on the
// page's thread, half a millisecond a file, which alone is twice what reading the block costs; the
// fetch's answer brings the size with the bytes. Chromium and Firefox know the size at once, and
// take longer over a fetch than over a read.
export const rangedHere = () => /^Apple/.test(navigator.vendor);

// readImage(FILE, RANGED): { size, block }, FILE a File or a promise of one, block the first BLOCK
// bytes (all of a shorter file), or null for a read that failed; RANGED, what rangedHere() said on
// the page. A read that brings less than the size says, a size past 2^53 (which a browser may have
// rounded), a file that is gone, changed or not the user's since it was chosen, is a read that
// failed, as it is to the command.
export async function readImage(file, ranged) {
    try {
        const now = await file;
        const { size, block } = (ranged && (await fetched(now))) || (await read(now));
        if (!Number.isSafeInteger(size)) return { size: 0, block: null };
        return { size, block: block?.byteLength === Math.min(size, BLOCK) ? block : null };
    } catch {
        return { size: 0, block: null };
    }
}

// The size as the File gives it, then the block read.
async function read(file) {
    const size = file.size;
    // A file the browser calls empty is read whole, and is empty only if that read ends, with
    // nothing: one gone since the choice is empty to Chromium until it is read, a file of /proc is
    // empty to every browser but has bytes, and a FIFO's read need never end.
    const block = await (size ? file.slice(0, Math.min(size, BLOCK)).arrayBuffer()
        : Promise.race([file.arrayBuffer(), new Promise((resolve) => setTimeout(resolve, WHOLE_MS, null))]));
    return { size, block };
}

// The size and the block from one fetch of the file's blob: URL for its first BLOCK bytes, as the
// file is at that moment; null where no range comes back (an empty file has none to give, and a
// browser may refuse such a fetch outright), and the File is asked instead.
async function fetched(file) {
    const url = URL.createObjectURL(file);
    try {
        const response = await fetch(url, { headers: { range: `bytes=0-${BLOCK - 1}` } });
        const range = /^bytes 0-\d+\/(\d+)$/.exec(response.headers.get('content-range') ?? '');
        return response.status === 206 && range ? { size: Number(range[1]), block: await response.arrayBuffer() } : null;
    } catch {
        return null;
    } finally {
        URL.revokeObjectURL(url);
    }
}
