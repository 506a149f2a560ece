// How the page and its worker read an image: its size and first block, as they are when it is read.
// A read costs a browser the same for any size up to a block, and the header is inside the first.

export const BLOCK = 512;
// How long the read of a file that the browser calls empty may take before it is a failed one.
const WHOLE_MS = 2000;

// readImage(FILE): { size, block }, FILE a File or a promise of one, block the first BLOCK bytes
// (all of a shorter file), or null for a read that failed. A read that brings less than the size
// says, a size past 2^53 (which a browser may have rounded), a file that is gone, changed or not
// the user's since it was chosen, is a read that failed, as it is to the command.
export async function readImage(file) {
    try {
        const now = await file;
        const size = now.size;
        if (!Number.isSafeInteger(size)) return { size: 0, block: null };
        // A file the browser calls empty is read whole, and is empty only if that read ends, with
        // nothing: one gone since the choice is empty to Chromium until it is read, a file of
        // /proc is empty to every browser but has bytes, and a FIFO's read need never end.
        const block = await (size ? now.slice(0, Math.min(size, BLOCK)).arrayBuffer()
            : Promise.race([now.arrayBuffer(), new Promise((resolve) => setTimeout(resolve, WHOLE_MS, null))]));
        return { size, block: block?.byteLength === Math.min(size, BLOCK) ? block : null };
    } catch {
        return { size: 0, block: null };
    }
}
