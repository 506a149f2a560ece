// The table of the images, one row each, of any length, and its CSV. Only the rows in view are in
// the page, between two spacers as tall as the rows above and below them. Each column sorts by
// its button, in that column's order, and back the other way on a second press.

// The columns, which head the CSV as they head the table, and how each sorts: names and texts as
// a reader orders them (numbers in them as numbers), the catalog number by its bytes' values, the
// megabits as numbers, an image with a message before the others.
const COLLATOR = new Intl.Collator(undefined, { numeric: true });
const byBytes = (a, b) => (a < b ? -1 : a > b ? 1 : 0);
const byNumber = (a, b) => (a === '' || b === '' ? (b === '') - (a === '') : a - b);
export const COLUMNS = [
    { name: 'Filename', compare: COLLATOR.compare },
    { name: 'Internal Name', compare: COLLATOR.compare },
    { name: 'Copyright', compare: COLLATOR.compare },
    { name: 'Catalog No.', compare: byBytes },
    { name: 'Megabits', compare: byNumber },
    { name: 'Message', compare: COLLATOR.compare },
];
const SIGNS = { ascending: '\u25b2', descending: '\u25bc', none: '' };

// makeTable(BOX, TABLE): the table in TABLE, whose rows scroll in BOX, between the two spacers
// beside it there. Its rows are { cells, failed }, the cells the six columns' texts. Drawing asks
// the page for no layout: where the box is scrolled to and how high it is are kept as they change.
export function makeTable(box, element) {
    const head = element.tHead.rows[0], body = element.tBodies[0];
    const [above, below] = box.querySelectorAll('.spacer');
    let rows = [], order = [], column = -1, direction = 1, height = 0, pending = false;
    let top = 0, seen = box.clientHeight;
    // The rows in the page, as [first, last) of the order, while they stay those rows.
    let drawn = null;
    const compare = (a, b) => direction * COLUMNS[column].compare(rows[a].cells[column], rows[b].cells[column]) || a - b;
    // The sign of the order is shown beside a column's name, never read as part of it: a screen
    // reader has the order from aria-sort.
    const headers = COLUMNS.map(({ name }, i) => {
        const th = document.createElement('th');
        th.scope = 'col';
        th.setAttribute('aria-sort', 'none');
        const button = document.createElement('button');
        button.type = 'button';
        const sign = document.createElement('span');
        sign.className = 'sign';
        sign.setAttribute('aria-hidden', 'true');
        button.append(name, sign);
        button.addEventListener('click', () => sort(i));
        th.append(button);
        head.append(th);
        return th;
    });

    function sort(i) {
        direction = column === i ? -direction : 1;
        column = i;
        headers.forEach((th, j) => {
            const order = j !== i ? 'none' : direction > 0 ? 'ascending' : 'descending';
            th.setAttribute('aria-sort', order);
            th.querySelector('.sign').textContent = SIGNS[order];
        });
        order.sort(compare);
        drawn = null;
        schedule();
    }
    // The next frame draws what is in view then, once however many changes come before it.
    function schedule() {
        if (pending) return;
        pending = true;
        requestAnimationFrame(draw);
    }
    function draw() {
        pending = false;
        if (!height && order.length) {
            // Every row is one line high: the first drawn measures them all.
            fill(0, 1);
            height = body.rows[0].getBoundingClientRect().height || 24;
        }
        const unit = height || 24;
        const first = Math.min(order.length, Math.max(0, Math.floor(top / unit) - 10));
        const last = Math.min(order.length, first + Math.ceil(seen / unit) + 20);
        // Rows that come in below those in view only lengthen the space below them.
        if (drawn?.[0] === first && drawn[1] === last) {
            below.style.height = `${(order.length - last) * height}px`;
            element.setAttribute('aria-rowcount', order.length + 1);
            return;
        }
        fill(first, last);
        drawn = [first, last];
    }
    function fill(first, last) {
        const shown = [];
        for (let i = first; i < last; i++) {
            const { cells, failed } = rows[order[i]];
            const tr = document.createElement('tr');
            tr.setAttribute('aria-rowindex', i + 2);
            if (failed) tr.className = 'failed';
            // Each cell names its whole text to a pointer, where a narrow column cuts it.
            for (const text of cells) Object.assign(tr.insertCell(), { textContent: text, title: text });
            shown.push(tr);
        }
        body.replaceChildren(...shown);
        above.style.height = `${first * height}px`;
        below.style.height = `${(order.length - last) * height}px`;
        element.setAttribute('aria-rowcount', order.length + 1);
    }
    box.addEventListener('scroll', () => {
        top = box.scrollTop;
        schedule();
    }, { passive: true });
    new ResizeObserver(() => {
        seen = box.clientHeight;
        schedule();
    }).observe(box);

    return {
        add(added) {
            for (const row of added) {
                rows.push(row);
                const at = rows.length - 1;
                if (column < 0) {
                    order.push(at);
                    continue;
                }
                // Into its place in the order in hand, found by halving.
                drawn = null;
                let low = 0, high = order.length;
                while (low < high) {
                    const middle = (low + high) >> 1;
                    if (compare(order[middle], at) < 0) low = middle + 1;
                    else high = middle;
                }
                order.splice(low, 0, at);
            }
            schedule();
        },
        clear() {
            rows = [];
            order = [];
            drawn = null;
            fill(0, 0);
        },
        rows: () => rows,
    };
}

// The CSV of the rows, for a spreadsheet: RFC 4180, the columns' names first, CRLF line ends, and
// a byte order mark first, by which spreadsheets know it for UTF-8.
export const csvOf = (rows) => '\ufeff' + [COLUMNS.map(({ name }) => name), ...rows.map((row) => row.cells)]
    .map((cells) => cells.map(csvField).join(',') + '\r\n').join('');

// A field that a spreadsheet takes for text however it splits the line: at commas, as the file is
// written, at semicolons (as it does where the decimal sign is a comma), or at both, with blanks
// trimmed or not. Wherever a cell could begin, at the field's start or after a semicolon in it,
// what would begin a formula (=, +, - or @, after any blanks, or a tab or a carriage return) has an
// apostrophe put before it, which the spreadsheet then shows as part of the text. A field that
// holds a quote, a comma, a semicolon or a line end is quoted, its quotes doubled.
function csvField(text) {
    const field = text.replace(/(^|;)(?=[ \t]*[=+\-@]|[\t\r])/g, "$1'");
    return /[",;\r\n]/.test(field) ? `"${field.replaceAll('"', '""')}"` : field;
}
