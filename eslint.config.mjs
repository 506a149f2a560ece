// The lint of vorlund's JavaScript: ESLint's recommended rules, with each file's globals as where it
// runs (the page's in a window, the worker's in a worker, the WASI host in either and in Node.js,
// the commands and the tests in Node.js, the tests' page functions in a window as well). ESLint and
// these rules come with the browser tests' driver: npm ci --prefix tests/web, then
// tests/web/node_modules/.bin/eslint . (from the top of the repository).
import { createRequire } from 'node:module';

const require = createRequire(new URL('tests/web/package.json', import.meta.url));
const js = require('@eslint/js');
const globals = require('globals');

export default [
    { ignores: ['build*/', 'dist/', '**/node_modules/'] },
    js.configs.recommended,
    {
        files: ['**/*.mjs', 'web/sw.js.in'],
        languageOptions: { ecmaVersion: 2022, sourceType: 'module' },
        rules: { 'no-unused-vars': ['error', { argsIgnorePattern: '^_' }] },
    },
    { files: ['src/cli/wasi.mjs'], languageOptions: { globals: globals['shared-node-browser'] } },
    { files: ['web/page.mjs', 'web/choice.mjs', 'web/table.mjs', 'web/read.mjs'], languageOptions: { globals: globals.browser } },
    { files: ['web/worker.mjs', 'web/read.mjs'], languageOptions: { globals: globals.worker } },
    { files: ['web/sw.js.in'], languageOptions: { sourceType: 'script', globals: globals.serviceworker } },
    {
        files: ['eslint.config.mjs', 'src/cli/vorlund.mjs', 'web/embed.mjs', 'web/icons.mjs', 'tests/**/*.mjs', 'bench/*.mjs', 'release/**/*.mjs'],
        languageOptions: { globals: globals.node },
    },
    // The functions that the tests and the benchmark hand to a page run there.
    { files: ['tests/web/*.mjs', 'bench/*.mjs'], languageOptions: { globals: globals.browser } },
];
