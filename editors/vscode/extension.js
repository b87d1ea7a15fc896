// SPDX-License-Identifier: MIT
// Starts quelmix-config-lsp for camera configuration files and hands it the
// checker's warning options from the settings.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const settings = vscode.workspace.getConfiguration('quelmix');
  client = new LanguageClient(
    'quelmix',
    'Quelmix camera configuration',
    { command: settings.get('serverPath', 'quelmix-config-lsp') },
    {
      documentSelector: [{ language: 'quelmixcfg' }],
      initializationOptions: {
        checkerOptions: settings.get('checkerOptions', []),
      },
      synchronize: { configurationSection: 'quelmix' },
    });
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
